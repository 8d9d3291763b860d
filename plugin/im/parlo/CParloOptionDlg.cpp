#include "plugin/im/parlo/CParloOptionDlg.h"

#include "imframe/ImSound.h"
#include "plugin/im/letrix/CColorSwatch.h"
#include "plugin/im/letrix/CFontLists.h"
#include "plugin/im/letrix/CIMMesPrompt.h"
#include "plugin/im/parlo/CParloApp.h"
#include "plugin/im/parlo/ParloText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

CParloOptionDlg::CParloOptionDlg(CParloApp& app, const CParloSettings& values)
    : QDialog(nullptr), m_app(app) {
    setObjectName(QStringLiteral("chatOptions"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(app.Text(ParloText::OptionTitle));
    auto* layout = new QVBoxLayout(this);

    auto* position = new QGroupBox(app.Text(ParloText::PositionGroup));
    auto* positionLayout = new QGridLayout(position);
    m_position = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        auto* radio = new QRadioButton(app.Text(ParloText::PositionCenter + uint32_t(i)));
        m_position->addButton(radio, i);
        positionLayout->addWidget(radio, i / 2, i % 2);
    }
    layout->addWidget(position);

    auto* defaults = new QGroupBox(app.Text(ParloText::DefaultsGroup));
    auto* defaultsLayout = new QGridLayout(defaults);
    defaultsLayout->addWidget(new QLabel(app.Text(ParloText::ListSide)), 0, 0);
    m_side = new QButtonGroup(this);
    auto* sides = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(app.Text(i == 0 ? ParloText::Left : ParloText::Right));
        m_side->addButton(radio, i);
        sides->addWidget(radio);
    }
    sides->addStretch();
    defaultsLayout->addLayout(sides, 0, 1);
    defaultsLayout->addWidget(new QLabel(app.Text(ParloText::DefaultFont)), 1, 0);
    auto* font = new QHBoxLayout;
    m_face = new QComboBox;
    m_face->setObjectName(QStringLiteral("face"));
    CFontLists::FillFaces(m_face);
    m_face->setMinimumContentsLength(16);
    m_face->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_size = new QComboBox;
    m_size->setObjectName(QStringLiteral("size"));
    CFontLists::FillSizes(m_size);
    m_color = new CColorSwatch(app.Text(ParloText::TextColor));
    connect(m_color, &QPushButton::clicked, this,
            [this] { m_color->Choose(m_app.Text(ParloText::TextColor)); });
    font->addWidget(m_face, 1);
    font->addWidget(m_size);
    font->addWidget(m_color);
    defaultsLayout->addLayout(font, 1, 1);
    layout->addWidget(defaults);

    auto* timeouts = new QGroupBox(app.Text(ParloText::TimeoutGroup));
    auto* timeoutLayout = new QGridLayout(timeouts);
    const auto spin = [&](const QString& name) {
        auto* s = new QSpinBox;
        s->setObjectName(name);
        // Wider than what is allowed, so that OK can say why a value is refused.
        s->setRange(0, 99999);
        s->setMinimumWidth(s->fontMetrics().horizontalAdvance(QStringLiteral("99999")) * 2);
        return s;
    };
    m_timeout = spin(QStringLiteral("timeout"));
    m_entryTimeout = spin(QStringLiteral("entryTimeout"));
    timeoutLayout->addWidget(new QLabel(app.Text(ParloText::AloneTimeout)), 0, 0);
    timeoutLayout->addWidget(m_timeout, 0, 1);
    timeoutLayout->addWidget(new QLabel(app.Text(ParloText::EntryTimeout)), 1, 0);
    timeoutLayout->addWidget(m_entryTimeout, 1, 1);
    timeoutLayout->setColumnStretch(2, 1);
    layout->addWidget(timeouts);

    layout->addWidget(ToneGroup(ParloText::EntryToneGroup, m_entryTone));
    layout->addWidget(ToneGroup(ParloText::TalkToneGroup, m_talkTone));

    auto* log = new QGroupBox(app.Text(ParloText::LogGroup));
    auto* logLayout = new QHBoxLayout(log);
    m_ask = new QCheckBox(app.Text(ParloText::LogAsk));
    m_ask->setObjectName(QStringLiteral("ask"));
    m_logPath = new QLineEdit;
    m_logPath->setObjectName(QStringLiteral("logPath"));
    auto* browse = new QPushButton(app.Text(ParloText::Browse));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(
            this, m_app.Text(ParloText::LogFolderTitle), m_logPath->text());
        if (!dir.isEmpty())
            m_logPath->setText(dir);
    });
    connect(m_ask, &QCheckBox::toggled, this, [this, browse](bool ask) {
        m_logPath->setEnabled(!ask);
        browse->setEnabled(!ask);
    });
    logLayout->addWidget(m_ask);
    logLayout->addWidget(m_logPath, 1);
    logLayout->addWidget(browse);
    layout->addWidget(log);

    auto* buttons = new QHBoxLayout;
    m_defaults = new QPushButton(app.Text(ParloText::Defaults));
    m_defaults->setObjectName(QStringLiteral("defaults"));
    auto* ok = new QPushButton(app.Text(ParloText::Ok));
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(app.Text(ParloText::Cancel));
    cancel->setObjectName(QStringLiteral("cancel"));
    buttons->addWidget(m_defaults);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(m_defaults, &QPushButton::clicked, this, [this] { Load(CParloSettings()); });
    connect(ok, &QPushButton::clicked, this, &CParloOptionDlg::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    Load(values);
}

QWidget* CParloOptionDlg::ToneGroup(uint32_t title, ToneControls& controls) {
    auto* box = new QGroupBox(m_app.Text(title));
    auto* grid = new QGridLayout(box);
    controls.type = new QButtonGroup(box);
    auto* types = new QHBoxLayout;
    const uint32_t names[] = {ParloText::ToneBuiltIn, ParloText::ToneFile, ParloText::ToneNone};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(m_app.Text(names[i]));
        controls.type->addButton(radio, i);
        types->addWidget(radio);
    }
    types->addStretch();
    grid->addLayout(types, 0, 0, 1, 3);
    QLineEdit* path = controls.path = new QLineEdit;
    auto* browse = new QPushButton(m_app.Text(ParloText::Browse));
    auto* listen = new QPushButton(m_app.Text(ParloText::Listen));
    QButtonGroup* type = controls.type;
    connect(browse, &QPushButton::clicked, this, [this, path, type] {
        const QString file = QFileDialog::getOpenFileName(
            this, m_app.Text(ParloText::Browse), path->text(), m_app.Text(ParloText::SoundFiles));
        if (!file.isEmpty()) {
            path->setText(file);
            type->button(CParloSettings::FileTone)->setChecked(true);
        }
    });
    const bool entry = &controls == &m_entryTone;
    connect(listen, &QPushButton::clicked, this, [this, path, type, entry] {
        CParloSettings probe;
        const int chosen = type->checkedId();
        (entry ? probe.entrySetType : probe.messageSetType) = chosen;
        (entry ? probe.entryRingTone : probe.messageRingTone) = path->text();
        CIMSndInfo none;
        const QString appDir =
            m_app.Obrix().GetAppDir ? QString::fromUtf16(m_app.Obrix().GetAppDir()) : QString();
        ImSound::Play(CParloTone::PathFor(none, QString(),
                                          entry ? CParloTone::Invitation : CParloTone::Talk, probe,
                                          appDir),
                      this);
    });
    grid->addWidget(path, 1, 0);
    grid->addWidget(browse, 1, 1);
    grid->addWidget(listen, 1, 2);
    grid->setColumnStretch(0, 1);
    path->setMinimumWidth(path->fontMetrics().averageCharWidth() * 32);
    return box;
}

void CParloOptionDlg::Load(const CParloSettings& v) {
    if (QAbstractButton* b = m_position->button(v.messagePosition))
        b->setChecked(true);
    m_side->button(v.memberListPosition == 0 ? 0 : 1)->setChecked(true);
    CFontLists::SelectFace(m_face, v.fontName);
    const int size = m_size->findText(QString::number(v.FontPoints()));
    m_size->setCurrentIndex(size < 0 ? m_size->findText(QStringLiteral("12")) : size);
    m_color->SetColor(COLORREF(v.foreColor));
    m_timeout->setValue(v.timeout);
    m_entryTimeout->setValue(v.chatEntryTimeout);
    const auto tone = [](ToneControls& c, int type, const QString& path) {
        if (QAbstractButton* b = c.type->button(type))
            b->setChecked(true);
        c.path->setText(path);
    };
    tone(m_entryTone, v.entrySetType, v.entryRingTone);
    tone(m_talkTone, v.messageSetType, v.messageRingTone);
    m_ask->setChecked(v.logSave != 0);
    m_logPath->setText(v.logSavePath);
    m_logPath->setEnabled(v.logSave == 0);
}

CParloSettings CParloOptionDlg::Values() const {
    CParloSettings v;
    v.messagePosition = std::max(0, m_position->checkedId());
    v.memberListPosition = m_side->checkedId() == 0 ? 0 : 1;
    v.fontName = m_face->currentText();
    v.fontSize = m_size->currentText();
    v.foreColor = int32_t(m_color->Color());
    v.timeout = m_timeout->value();
    v.chatEntryTimeout = m_entryTimeout->value();
    const auto tone = [](const ToneControls& c, int32_t& type, QString& path) {
        type = std::max(0, c.type->checkedId());
        path = c.path->text().trimmed();
        if (type == CParloSettings::FileTone && path.isEmpty())
            type = CParloSettings::BuiltInTone;
    };
    tone(m_entryTone, v.entrySetType, v.entryRingTone);
    tone(m_talkTone, v.messageSetType, v.messageRingTone);
    v.logSave = m_ask->isChecked() ? 1 : 0;
    v.logSavePath = m_ask->isChecked() ? QString() : m_logPath->text().trimmed();
    return v;
}

bool CParloOptionDlg::Confirm() {
    for (QSpinBox* field : {m_timeout, m_entryTimeout})
        if (!CParloSettings::IsValidTimeout(field->value())) {
            CIMMesPrompt::Show(this, m_app.Resources(), ParloText::BadValue, {},
                               QMessageBox::Warning, QMessageBox::Ok, ParloText::OptionTitle);
            field->setFocus();
            field->selectAll();
            return false;
        }
    m_app.StoreSettings(Values());
    accept();
    return true;
}
