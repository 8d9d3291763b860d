#include "host/CVersionDlg.h"

#include "host/CCoreModuleList.h"
#include "host/CHostArtwork.h"
#include "host/CoreApi.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <array>

namespace {

constexpr int32_t EnumBufferChars = 255;
// A module that never stops enumerating must not hang the host.
constexpr int32_t MaxSubModules = 4096;

QString field(const char16_t* text, size_t capacity) {
    size_t n = 0;
    while (n < capacity && text[n])
        ++n;
    return QString::fromUtf16(text, qsizetype(n));
}

} // namespace

CVersionDlg::CVersionDlg(const CCoreModuleList& modules, const QString& title, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_bitmap(CHostArtwork::Bitmap131()) {
    setObjectName(QStringLiteral("CVersionDlg"));
    setWindowIcon(CHostArtwork::Icon128());
    setWindowTitle(title);

    m_list = new QListWidget(this);
    m_list->setObjectName(QString::number(IDC_LIST));
    m_version = new QLabel(this);
    m_version->setObjectName(QString::number(IDC_VERSION));
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QString::number(IDC_OK));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QWidget::hide);

    const int w = m_bitmap.width();
    const int h = m_bitmap.height();
    const int listHeight = 120;
    const QSize button(88, m_ok->sizeHint().height());
    const QSize size(w + 5, h + button.height() + listHeight + 50);
    setFixedSize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + area.width() / 2 - size.width() / 2,
             area.top() + area.height() / 2 - size.height() / 2);
    }
    m_list->setGeometry(10, h, w - 20, listHeight);
    m_ok->setGeometry((size.width() - button.width()) / 2, h + listHeight + 10, button.width(),
                      button.height());

    m_list->addItems(ModuleLines(modules));
    m_version->setText(ProductVersionText());
    m_version->setGeometry(180, 212, size.width() - 180, m_version->sizeHint().height());
}

QStringList CVersionDlg::Lines() const {
    QStringList lines;
    for (int i = 0; i < m_list->count(); ++i)
        lines.append(m_list->item(i)->text());
    return lines;
}

QString CVersionDlg::VersionText() const {
    return m_version->text();
}

QStringList CVersionDlg::ModuleLines(const CCoreModuleList& modules) {
    QStringList lines;
    for (const auto& module : modules.Modules()) {
        const tagMODULEINFO& info = module->m_info;
        lines.append(
            QStringLiteral("%1    version %2.%3    (%4)    %5")
                .arg(QString::fromUtf16(info.szFileName))
                .arg(info.dwVersion >> 16)
                .arg(info.dwVersion & 0xFFFF)
                .arg(QString::fromUtf16(info.szCompany), QString::fromUtf16(info.szLocalName)));
        for (int32_t index = 0; index < MaxSubModules; ++index) {
            std::array<char16_t, EnumBufferChars> file{}, version{}, local{}, company{};
            if (!module->m_pfnOnEnumModules(index, file.data(), version.data(), local.data(),
                                            company.data(), EnumBufferChars))
                break;
            lines.append(
                QStringLiteral("%1    version %2    (%3)    %4")
                    .arg(field(file.data(), file.size()), field(version.data(), version.size()),
                         field(company.data(), company.size()), field(local.data(), local.size())));
        }
    }
    return lines;
}

QString CVersionDlg::ProductVersionText() {
    const auto value = [](const char16_t* key) {
        return COREAPI_GetAppDataInt(u"GENERAL", key, 1, 0);
    };
    return QString::asprintf("Ver.%d.%d.%d.%d", value(u"VERSION_H"), value(u"VERSION_L"),
                             value(u"VERSION_R"), value(u"VERSION_B"));
}

void CVersionDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawPixmap(0, 0, m_bitmap);
}
