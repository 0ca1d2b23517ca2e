// CLocalizer: sets the captions of a window and its children from the
// language file, by the decimal id each captioned widget carries in its
// "langId" property. A widget whose "langColon" property is true gets ':'
// after its text (labels); a top-level window's id gives its title.
#pragma once

class QObject;
class QWidget;
class CAppContext;

// A window or panel that sets captions of its own beyond the "langId"
// ones (texts it builds, tab captions, its panels).
class ILocalizable {
public:
    virtual ~ILocalizable() = default;
    virtual void LocalizeCaptions() = 0;
};

class CLocalizer {
public:
    // Captions of root and everything under it (widgets and actions); an
    // empty text leaves a caption as it was. Then LocalizeCaptions of every
    // widget there that is an ILocalizable.
    static void Apply(QWidget* root, const CAppContext& context);
    // Apply on every top-level window of the application.
    static void ApplyAll(const CAppContext& context);
    // Sets the id on a widget or action and returns it, for building forms.
    template <typename T>
    static T* Tag(T* object, int id, bool colon = false) {
        SetId(object, id, colon);
        return object;
    }

private:
    static void SetId(QObject* object, int id, bool colon);
};
