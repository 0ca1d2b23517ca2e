// ISheetPage: a page of the system management sheet. The sheet builds its
// pages when it opens and fills each one the first time it is shown.
#pragma once

#include <QString>

#include <functional>
#include <vector>

class QWidget;
class CAppContext;

class ISheetPage {
public:
    virtual ~ISheetPage() = default;
    // The page's own widget (the page itself).
    virtual QWidget* Widget() = 0;
    // Loads what the page shows; false when that failed (shown).
    virtual bool OnSetActive() = 0;
};

// The pages of the sheet in the order of its navigation list, each with
// its caption (a language text, else the text given) and how it is built.
struct CSheetPageEntry {
    int captionId;
    QString caption;
    std::function<ISheetPage*(CAppContext& context, QWidget* parent)> create;
};
using CSheetPages = std::vector<CSheetPageEntry>;
