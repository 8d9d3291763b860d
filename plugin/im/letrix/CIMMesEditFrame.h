// The compose window: To, Cc and Bcc bars, subject with "Important", the font bar, the
// attachment bar, the rich-text body and the Send and Close buttons. It sends through the
// core or stores a draft, and asks before an unsent message is thrown away.
#pragma once

#include "obrix/ObrixApi.h"
#include "plugin/im/letrix/CIMMesAttachList.h"
#include "plugin/im/letrix/CIMMesComposeRequest.h"
#include "plugin/im/letrix/CIMMesPrintPage.h"
#include "plugin/im/letrix/CIMMesSendBuilder.h"
#include "plugin/im/letrix/CIMMesSettings.h"

#include <QMainWindow>

#include <memory>

class CAddressEdit;
class CAttachedListCtrl;
class CCaptionColumn;
class CColorSwatch;
class CMessageEditView;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class CIMMesEditFrame : public QMainWindow {
    Q_OBJECT
public:
    CIMMesEditFrame(const CObrixTable& core, const CIMMesSettings& settings,
                    QWidget* parent = nullptr);
    ~CIMMesEditFrame() override;

    // Fills the window for a request; its files are attached by the attachment rules.
    void Open(const CIMMesComposeRequest& request);

    // The send rule, which also enables the Send button.
    bool CanSend() const;
    // The Send command: checks, sends, marks the answered message and closes; any failed step
    // is reported and leaves the window as it is. True when the message went.
    bool Send();
    // "Put In Darft": asks first (unless told not to), stores the draft, tells the message box
    // and closes. True when stored.
    bool PutInDraft(bool ask = true);
    // Adds a file by the attachment rules, reporting a refusal; true when added.
    bool AddAttachment(const QString& path);
    // Files dropped on the window: folders and missing paths are skipped, the first refusal
    // ends the drop.
    void AddDroppedFiles(const QStringList& paths);
    void RemoveSelectedAttachments();
    // The Attach File command.
    void ChooseAttachment();

    // The printed page with its header block: printer dialog or preview, or a PDF file.
    void Print(bool preview);
    bool WritePdf(const QString& path) const;

    // Closes without any question (log-off, unloading).
    void CloseQuietly();

    CIMMesComposeContent Content() const;
    bool IsSent() const { return m_sent; }
    bool IsReady() const { return m_ready; }

    CAddressEdit* ToEdit() const { return m_to; }
    CAddressEdit* CcEdit() const { return m_cc; }
    CAddressEdit* BccEdit() const { return m_bcc; }
    QLineEdit* SubjectEdit() const { return m_subject; }
    QCheckBox* ImportantCheck() const { return m_important; }
    CMessageEditView* Body() const { return m_body; }
    QWidget* CcBar() const { return m_ccBar; }
    QWidget* BccBar() const { return m_bccBar; }
    QWidget* AttachBar() const { return m_attachBar; }
    CAttachedListCtrl* AttachListCtrl() const { return m_attachCtrl; }
    const CIMMesAttachList& Attachments() const { return m_attachments; }
    QComboBox* FaceList() const { return m_face; }
    QComboBox* SizeList() const { return m_size; }
    CColorSwatch* ForeSwatch() const { return m_fore; }
    CColorSwatch* BackSwatch() const { return m_back; }
    QPushButton* SendButton() const { return m_send; }
    QPushButton* CloseButton() const { return m_close; }

    // Re-evaluates the send rule (also after log-on state changes).
    void UpdateSendState();

signals:
    void OptionRequested();
    void Closed(CIMMesEditFrame* frame);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString Text(uint32_t id) const;
    void BuildMenus();
    QWidget* BuildAddressBar(uint32_t label, CAddressEdit*& edit, bool withButtons);
    QWidget* BuildSubjectBar();
    QWidget* BuildFontBar();
    QWidget* BuildAttachBar();
    QWidget* BuildBottomBar();
    void ApplyFont();
    void ShowFormatAtCaret();
    void RefreshAttachments();
    void SetTitle(const QString& subject);
    bool StoreDraft();
    CIMMesPrintPage::Fields PrintFields() const;
    int32_t LogonState() const;

    const CObrixTable& m_core;
    CIMMesSettings m_settings;
    void* m_resources;
    std::unique_ptr<CCaptionColumn> m_captions;
    CIMMesAttachList m_attachments;

    int32_t m_kind = 0;
    uint32_t m_originBox = 0;
    QString m_referenceId;
    QString m_draftId;
    bool m_sent = false;
    bool m_ready = false;
    bool m_quiet = false;

    CAddressEdit* m_to = nullptr;
    CAddressEdit* m_cc = nullptr;
    CAddressEdit* m_bcc = nullptr;
    QWidget* m_ccBar = nullptr;
    QWidget* m_bccBar = nullptr;
    QLineEdit* m_subject = nullptr;
    QCheckBox* m_important = nullptr;
    QComboBox* m_face = nullptr;
    QComboBox* m_size = nullptr;
    CColorSwatch* m_fore = nullptr;
    CColorSwatch* m_back = nullptr;
    QWidget* m_attachBar = nullptr;
    CAttachedListCtrl* m_attachCtrl = nullptr;
    CMessageEditView* m_body = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_close = nullptr;
    QAction* m_sendAction = nullptr;
};
