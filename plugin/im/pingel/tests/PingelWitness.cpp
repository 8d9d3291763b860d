// A plug-in for the end-to-end run: loaded by the messaging core next to Pingel.zpm, it looks
// at the notification window from inside the program and appends what it sees to the file
// named by ZELTA_WITNESS_LOG, one append per record, so that the test reads it while the
// program runs:
//   line<TAB><window number><TAB><text>                        each new line of a window
//   window<TAB><window number><TAB>x,y,w,h<TAB>active 0/1      when the window shows or moves
// A window counts as active when the application's active window is the notification window.
#include "imframe/CIMPluginApp.h"
#include "tests/support/Witness.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace {

using Witness::Record;

constexpr ImModuleDescriptor kWitness{8, u"PingelWitness.zpm", u"IM Witness Module",
                                      u"IM 観察 モジュール"};

class CWitnessApp final : public CIMPluginApp {
public:
    CWitnessApp() : CIMPluginApp(kWitness) {}

    void OnInit() override {
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { Look(); });
        m_timer->start(50);
    }
    void OnKill() override { m_timer.reset(); }

private:
    struct Seen {
        QPointer<QWidget> widget; // a deleted window's address may come back for a new one
        int number = 0;
        QSet<QString> lines;
        QString geometry;
    };

    void Look() {
        m_windows.removeIf([](const auto& entry) { return entry.value().widget.isNull(); });
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || qstrcmp(w->metaObject()->className(), "CPingelWnd") != 0)
                continue;
            const auto* text = w->findChild<QTextEdit*>(QStringLiteral("text100"));
            if (!text)
                continue;
            Seen& seen = m_windows[w];
            if (!seen.number) {
                seen.widget = w;
                seen.number = ++m_count;
            }
            const QString number = QString::number(seen.number);
            for (const QString& line : text->toPlainText().split(u'\n')) {
                if (!line.isEmpty() && !seen.lines.contains(line)) {
                    seen.lines.insert(line);
                    Record(QStringLiteral("line\t") + number + u'\t' + line);
                }
            }
            const QRect g = w->geometry();
            const QString geometry = QStringLiteral("%1,%2,%3,%4\t%5")
                                         .arg(g.x())
                                         .arg(g.y())
                                         .arg(g.width())
                                         .arg(g.height())
                                         .arg(QApplication::activeWindow() == w ? 1 : 0);
            if (geometry != seen.geometry) {
                seen.geometry = geometry;
                Record(QStringLiteral("window\t") + number + u'\t' + geometry);
            }
        }
    }

    std::unique_ptr<QTimer> m_timer;
    QHash<QWidget*, Seen> m_windows;
    int m_count = 0;
};

CWitnessApp theApp;

} // namespace
