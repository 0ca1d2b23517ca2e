// IDefectEditor: what the editor's fields page needs of the editor that
// holds it (its sibling pages and its buttons), so that the page knows the
// editor only through this and never the other way round.
#pragma once

class CAttachmentDlg;
class CCustomFieldsDlg;

class IDefectEditor {
public:
    virtual CCustomFieldsDlg* CustomFieldsPage() const = 0;
    virtual CAttachmentDlg* AttachmentsPage() const = 0;
    // New and Save for a new defect, Modify for an existing one.
    virtual void ShowNewButtons(bool isNew) = 0;

protected:
    ~IDefectEditor() = default;
};
