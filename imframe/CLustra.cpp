#include "imframe/CLustra.h"

#include <QApplication>
#include <QStyle>

bool CLustra::LoadLustra() {
    m_loaded = true;
    return true;
}

void CLustra::UnloadLustra() {
    m_loaded = false;
}

int CLustra::IsThemeFunc() const {
    if (!m_loaded || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 0;
    return IsNativeStyle(QApplication::style()->name()) ? 1 : 0;
}

bool CLustra::IsNativeStyle(const QString& styleName) {
    return !styleName.isEmpty() && styleName.compare(u"fusion", Qt::CaseInsensitive) != 0 &&
           styleName.compare(u"windows", Qt::CaseInsensitive) != 0;
}
