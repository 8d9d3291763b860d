// Runs zeltactl as another process of a test's local service and reads its JSON lines.
#pragma once

#include "kernova/service/tests/ServiceTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtCore/qtestsupport_core.h>

namespace svctest {

inline QString Utf8(const char* s) {
    return QString::fromUtf8(s);
}

inline QString Zeltactl() {
    return qEnvironmentVariable("ZELTA_OUT_DIR") + Utf8("/zeltactl");
}

class ZeltactlTest : public ServiceFixture {
protected:
    std::unique_ptr<QProcess> Start(const QStringList& args, const QByteArray& input = {}) {
        auto p = std::make_unique<QProcess>();
        p->start(Zeltactl(), QStringList{Utf8("--service"), dir} + args);
        EXPECT_TRUE(p->waitForStarted(10000)) << Zeltactl().toStdString();
        if (!input.isNull()) {
            p->write(input);
            p->closeWriteChannel();
        }
        return p;
    }
    // Runs to the end (the event loop keeps running meanwhile); returns the exit status, or
    // -1 when it did not end in time.
    int Finish(QProcess& p, int ms = 30000) {
        if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, ms)) {
            p.kill();
            p.waitForFinished(5000);
            return -1;
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    int Run(const QStringList& args, QString* out = nullptr, QString* err = nullptr) {
        auto p = Start(args, QByteArray(""));
        const int code = Finish(*p);
        if (out)
            *out = QString::fromUtf8(p->readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(p->readAllStandardError());
        return code;
    }
    static QList<QJsonObject> Events(const QString& output, const QString& name) {
        QList<QJsonObject> events;
        for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (o.value(Utf8("event")).toString() == name)
                events.append(o);
        }
        return events;
    }
};

} // namespace svctest
