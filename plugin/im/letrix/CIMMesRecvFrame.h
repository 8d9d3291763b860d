// The receive window: one stored message with its subject, sender, send time, importance,
// destinations (Bcc only for the user's own sent messages), received files and the read-only
// body with clickable links. From here the user replies, replies to all, forwards, deletes,
// flags and prints. Opening an unread received message marks it read at the core.
#pragma once

#include "obrix/ObrixApi.h"
#include "plugin/im/letrix/CIMMesPrintPage.h"
#include "plugin/im/letrix/CIMMesRecvContent.h"
#include "plugin/im/letrix/CIMMesSettings.h"

#include <QMainWindow>

#include <memory>

class CAttachedListCtrl;
class CCaptionColumn;
class CElidedLabel;
class CLetrix;
class CMessageEditView;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CIMMesRecvFrame : public QMainWindow {
    Q_OBJECT
public:
    CIMMesRecvFrame(const CObrixTable& core, const CIMMesSettings& settings,
                    QWidget* parent = nullptr);
    ~CIMMesRecvFrame() override;

    // Shows the message of this box: the core's stored copy (whose flags are current), else
    // the record the request came with. Marks an unread received message read.
    void Open(uint32_t box, const CLetrix& message);

    const QString& MessageId() const { return m_content.messageId; }
    uint32_t Box() const { return m_content.box; }
    const CIMMesRecvContent& Content() const { return m_content; }

    // Reply (2), reply to all (3) or forward (6): fetches the message again, hands it to the
    // compose side and closes. Nothing when the core no longer has it.
    bool Answer(int32_t kind);
    // Asks (text 870), then has the message box delete the message and closes.
    bool Delete();
    void SetFlag(bool on);
    // The printed page with its header block: printer dialog, preview, or a PDF file.
    void Print(bool preview);
    bool WritePdf(const QString& path) const;

    CElidedLabel* SubjectLabel() const { return m_subject; }
    CElidedLabel* SenderLabel() const { return m_sender; }
    QLabel* ImportanceMark() const { return m_importance; }
    QLineEdit* ToText() const { return m_to; }
    QLineEdit* CcText() const { return m_cc; }
    QLineEdit* BccText() const { return m_bcc; }
    QWidget* CcBar() const { return m_ccBar; }
    QWidget* BccBar() const { return m_bccBar; }
    QWidget* AttachBar() const { return m_attachBar; }
    CAttachedListCtrl* AttachListCtrl() const { return m_attachCtrl; }
    CMessageEditView* Body() const { return m_body; }
    QCheckBox* FlagCheck() const { return m_flag; }
    QPushButton* ReplyButton() const { return m_reply; }
    QPushButton* ReplyAllButton() const { return m_replyAll; }
    QPushButton* TransferButton() const { return m_transfer; }
    QPushButton* CloseButton() const { return m_close; }

signals:
    void Closed(CIMMesRecvFrame* frame);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString Text(uint32_t id) const;
    QWidget* BuildHeaderBar();
    QWidget* BuildAddressBar(uint32_t label, QLineEdit*& field);
    QWidget* BuildAttachBar();
    QWidget* BuildBottomBar();
    void BuildMenusAndTools();
    void Fill();
    CIMMesPrintPage::Fields PrintFields() const;

    const CObrixTable& m_core;
    CIMMesSettings m_settings;
    void* m_resources;
    std::unique_ptr<CCaptionColumn> m_captions;
    CIMMesRecvContent m_content;

    QLabel* m_importance = nullptr;
    CElidedLabel* m_subject = nullptr;
    CElidedLabel* m_sender = nullptr;
    CElidedLabel* m_sendTime = nullptr;
    QLineEdit* m_to = nullptr;
    QLineEdit* m_cc = nullptr;
    QLineEdit* m_bcc = nullptr;
    QWidget* m_ccBar = nullptr;
    QWidget* m_bccBar = nullptr;
    QWidget* m_attachBar = nullptr;
    CAttachedListCtrl* m_attachCtrl = nullptr;
    CMessageEditView* m_body = nullptr;
    QCheckBox* m_flag = nullptr;
    QPushButton* m_reply = nullptr;
    QPushButton* m_replyAll = nullptr;
    QPushButton* m_transfer = nullptr;
    QPushButton* m_close = nullptr;
    QList<QAction*> m_replyActions;
};
