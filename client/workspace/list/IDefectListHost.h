// IDefectListHost: what the list's side panels need of the view that holds
// them, so that the panels know the view only through this and never the
// other way round.
#pragma once

#include <QString>

class CDefectListGrid;

class IDefectListHost {
public:
    virtual CDefectListGrid* Grid() const = 0;
    // The select list of the columns the user chose (always with BG_BUG_ID
    // and BG_STATUS).
    virtual QString SelectList() const = 0;
    // The where clause of the last query of the condition panel.
    virtual QString LastWhere() const = 0;
    virtual void RefreshList(const QString& sql) = 0;

protected:
    ~IDefectListHost() = default;
};
