#include "plugin/im/letrix/CIMMesPropDialog.h"

#include "imframe/ImSound.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/letrix/CColorSwatch.h"
#include "plugin/im/letrix/CEnterPressesButton.h"
#include "plugin/im/letrix/CFontLists.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr uint32_t kTitle = 842;
constexpr uint32_t kPositionGroup = 843;
constexpr uint32_t kPositions[] = {844, 845, 846, 847, 848};
constexpr uint32_t kSendGroup = 849, kConfirm = 850, kKeepFonts = 851;
constexpr uint32_t kFontGroup = 852, kFaceLabel = 853, kSizeLabel = 854, kForeLabel = 855,
                   kBackLabel = 856, kSampleLabel = 857, kSampleText = 858, kPoints = 864;
constexpr uint32_t kOK = 859, kCancel = 860, kDefault = 861;
constexpr uint32_t kForeTitle = 862, kBackTitle = 863, kToneTitle = 865, kPathLabel = 866;
constexpr uint32_t kReference = 889, kToneGroup = 899, kTones[] = {900, 901, 902}, kAudition = 903;
constexpr uint32_t kErrorCaption = 896, kErrorText = 897;

} // namespace

CIMMesPropDialog::CIMMesPropDialog(void* resources, const CIMMesSettings& current, QWidget* parent)
    : QDialog(parent), m_resources(resources) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(Text(kTitle));

    auto* positions = new QGroupBox(Text(kPositionGroup), this);
    auto* positionLayout = new QVBoxLayout(positions);
    m_position = new QButtonGroup(this);
    for (int p = 0; p < 5; ++p) {
        auto* radio = new QRadioButton(Text(kPositions[p]), positions);
        m_position->addButton(radio, p);
        positionLayout->addWidget(radio);
    }

    auto* sending = new QGroupBox(Text(kSendGroup), this);
    auto* sendingLayout = new QVBoxLayout(sending);
    m_confirm = new QCheckBox(Text(kConfirm), sending);
    m_keepFonts = new QCheckBox(Text(kKeepFonts), sending);
    sendingLayout->addWidget(m_confirm);
    sendingLayout->addWidget(m_keepFonts);
    sendingLayout->addStretch(1);

    auto* font = new QGroupBox(Text(kFontGroup), this);
    auto* fontLayout = new QGridLayout(font);
    m_face = new QComboBox(font);
    CFontLists::FillFaces(m_face);
    m_size = new QComboBox(font);
    CFontLists::FillSizes(m_size);
    m_size->setEditable(true);
    m_fore = new CColorSwatch(QString(), font);
    m_back = new CColorSwatch(QString(), font);
    m_sample = new QLabel(Text(kSampleText), font);
    m_sample->setFrameShape(QFrame::StyledPanel);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setAutoFillBackground(true);
    m_sample->setMinimumHeight(m_sample->fontMetrics().height() * 3);
    fontLayout->addWidget(new QLabel(Text(kFaceLabel), font), 0, 0);
    fontLayout->addWidget(m_face, 0, 1, 1, 3);
    fontLayout->addWidget(new QLabel(Text(kSizeLabel), font), 1, 0);
    fontLayout->addWidget(m_size, 1, 1);
    fontLayout->addWidget(new QLabel(Text(kPoints), font), 1, 2);
    fontLayout->addWidget(new QLabel(Text(kForeLabel), font), 2, 0);
    fontLayout->addWidget(m_fore, 2, 1);
    fontLayout->addWidget(new QLabel(Text(kBackLabel), font), 3, 0);
    fontLayout->addWidget(m_back, 3, 1);
    fontLayout->addWidget(new QLabel(Text(kSampleLabel), font), 4, 0);
    fontLayout->addWidget(m_sample, 4, 1, 1, 3);
    fontLayout->setColumnStretch(3, 1);

    auto* tone = new QGroupBox(Text(kToneGroup), this);
    auto* toneLayout = new QGridLayout(tone);
    m_tone = new QButtonGroup(this);
    auto* toneRadios = new QHBoxLayout;
    for (int t = 0; t < 3; ++t) {
        auto* radio = new QRadioButton(Text(kTones[t]), tone);
        m_tone->addButton(radio, t);
        toneRadios->addWidget(radio);
    }
    toneRadios->addStretch(1);
    m_path = new QLineEdit(tone);
    m_path->setMinimumWidth(m_path->fontMetrics().averageCharWidth() * 36);
    m_reference = new QPushButton(Text(kReference), tone);
    m_audition = new QPushButton(Text(kAudition), tone);
    toneLayout->addLayout(toneRadios, 0, 0, 1, 4);
    toneLayout->addWidget(new QLabel(Text(kPathLabel), tone), 1, 0);
    toneLayout->addWidget(m_path, 1, 1);
    toneLayout->addWidget(m_reference, 1, 2);
    toneLayout->addWidget(m_audition, 1, 3);

    auto* def = new QPushButton(Text(kDefault), this);
    auto* ok = new QPushButton(Text(kOK), this);
    auto* cancel = new QPushButton(Text(kCancel), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(def);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    for (QPushButton* b : {def, ok, cancel, m_reference, m_audition})
        b->setAutoDefault(false);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(positions);
    left->addWidget(sending);
    columns->addLayout(left);
    columns->addWidget(font, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(columns);
    top->addWidget(tone);
    top->addLayout(buttons);

    connect(def, &QPushButton::clicked, this, &CIMMesPropDialog::SetDefaults);
    connect(ok, &QPushButton::clicked, this, &CIMMesPropDialog::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tone, &QButtonGroup::idToggled, this, [this] { UpdateToneControls(); });
    connect(m_face, &QComboBox::currentTextChanged, this, [this] { UpdateSample(); });
    connect(m_size, &QComboBox::currentTextChanged, this, [this] { UpdateSample(); });
    connect(m_fore, &QPushButton::clicked, this, [this] { m_fore->Choose(Text(kForeTitle)); });
    connect(m_back, &QPushButton::clicked, this, [this] { m_back->Choose(Text(kBackTitle)); });
    connect(m_fore, &CColorSwatch::ColorChanged, this, [this] { UpdateSample(); });
    connect(m_back, &CColorSwatch::ColorChanged, this, [this] { UpdateSample(); });
    connect(m_reference, &QPushButton::clicked, this, &CIMMesPropDialog::ChooseToneFile);
    connect(m_audition, &QPushButton::clicked, this, &CIMMesPropDialog::PlayTone);

    SetValues(current);
}

QString CIMMesPropDialog::Text(uint32_t id) const {
    return CResourceLoader::LoadString(m_resources, id);
}

QAbstractButton* CIMMesPropDialog::PositionButton(int position) const {
    return m_position->button(position);
}

QAbstractButton* CIMMesPropDialog::ToneButton(int type) const {
    return m_tone->button(type);
}

void CIMMesPropDialog::SetValues(const CIMMesSettings& values) {
    if (QAbstractButton* b = m_position->button(values.noticePosition))
        b->setChecked(true);
    m_confirm->setChecked(values.checkItem1 != 0);
    m_keepFonts->setChecked(values.checkItem2 != 0);
    CFontLists::SelectFace(m_face, values.fontName);
    m_size->setCurrentText(values.fontSize);
    m_fore->SetColor(values.foreColor);
    m_back->SetColor(values.backColor);
    if (QAbstractButton* b = m_tone->button(values.ringToneSetType))
        b->setChecked(true);
    m_path->setText(values.ringToneFilePath);
    UpdateToneControls();
    UpdateSample();
}

std::optional<CIMMesSettings> CIMMesPropDialog::Values() const {
    bool ok = false;
    const int points = m_size->currentText().trimmed().toInt(&ok);
    if (!ok || points <= 0 || points > 1638 || m_face->currentText().isEmpty())
        return std::nullopt;
    CIMMesSettings s;
    s.noticePosition = qMax(0, m_position->checkedId());
    s.checkItem1 = m_confirm->isChecked() ? 1 : 0;
    s.checkItem2 = m_keepFonts->isChecked() ? 1 : 0;
    s.fontName = m_face->currentText();
    s.fontSize = QString::number(points);
    s.foreColor = m_fore->Color();
    s.backColor = m_back->Color();
    s.ringToneSetType = qMax(0, m_tone->checkedId());
    s.ringToneFilePath = m_path->text().trimmed();
    return s;
}

void CIMMesPropDialog::OnOK() {
    std::optional<CIMMesSettings> values = Values();
    if (!values) {
        QMessageBox::warning(this, Text(kErrorCaption), Text(kErrorText));
        m_size->setFocus();
        return;
    }
    if (values->ringToneSetType == CIMMesSettings::File && values->ringToneFilePath.isEmpty())
        values->ringToneSetType = CIMMesSettings::BuiltIn;
    emit Stored(*values);
    accept();
}

void CIMMesPropDialog::UpdateToneControls() {
    const bool file = m_tone->checkedId() == CIMMesSettings::File;
    for (QWidget* w : std::initializer_list<QWidget*>{m_path, m_reference, m_audition})
        w->setEnabled(file);
}

void CIMMesPropDialog::UpdateSample() {
    QFont f = font();
    f.setFamilies({m_face->currentText()});
    const int points = m_size->currentText().trimmed().toInt();
    if (points > 0 && points <= 1638)
        f.setPointSize(points);
    m_sample->setFont(f);
    QPalette p = m_sample->palette();
    p.setColor(QPalette::WindowText, QColorFromColorRef(m_fore->Color()));
    p.setColor(QPalette::Window, QColorFromColorRef(m_back->Color()));
    m_sample->setPalette(p);
}

void CIMMesPropDialog::ChooseToneFile() {
    const QString chosen = QFileDialog::getOpenFileName(this, Text(kToneTitle), m_path->text(),
                                                        QStringLiteral("WAVEファイル (*.wav)"));
    if (!chosen.isEmpty())
        m_path->setText(chosen);
}

void CIMMesPropDialog::PlayTone() {
    ImSound::Play(m_path->text().trimmed(), this);
}

bool CIMMesPropDialog::PreTranslate(MSG* msg) {
    return isActiveWindow() && EnterPressesButton(msg, this);
}
