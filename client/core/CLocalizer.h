// CLocalizer: sets the captions of a window and its children from the
// language file, by the decimal id each captioned widget carries in its
// "langId" property. A widget whose "langColon" property is true gets ':'
// after its text (labels); a top-level window's id gives its title.
#pragma once

class QObject;
class QWidget;
class CAppContext;

class CLocalizer {
public:
    // Captions of root and everything under it (widgets and actions); an
    // empty text leaves a caption as it was. Then calls the slot
    // LocalizeCaptions() of every window that has one.
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
