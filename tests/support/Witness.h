// For the witness plug-ins that end-to-end runs load into the real program: they report what
// they see as lines of a log file the test reads while the program runs, find the windows of
// the plug-in under test and keep pictures of them.
#pragma once

#include <QApplication>
#include <QFile>
#include <QString>
#include <QWidget>

namespace Witness {

// Appends one line to the file named by ZELTA_WITNESS_LOG; nothing when it is unset.
inline void Record(const QString& line) {
    const QString path = qEnvironmentVariable("ZELTA_WITNESS_LOG");
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::Append))
        file.write((line + u'\n').toUtf8());
}

// Saves a picture of `window` as `fileName` in the folder named by ZELTA_WITNESS_SHOTS;
// false when that is unset or the picture could not be saved.
inline bool Shot(QWidget* window, const QString& fileName) {
    const QString dir = qEnvironmentVariable("ZELTA_WITNESS_SHOTS");
    return window && !dir.isEmpty() && window->grab().save(dir + u'/' + fileName);
}

// The visible top-level window of this class, or null.
inline QWidget* TopLevelOfClass(const char* className) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && qstrcmp(w->metaObject()->className(), className) == 0)
            return w;
    return nullptr;
}

} // namespace Witness
