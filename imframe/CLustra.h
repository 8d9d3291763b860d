// The theme check of the plug-ins that draw themed controls: themed drawing applies only
// while the theme is loaded and the application draws with a native style.
#pragma once

#include <QString>

class CLustra {
public:
    // Loads the theme; true afterwards.
    bool LoadLustra();
    void UnloadLustra();
    bool IsLoaded() const { return m_loaded; }

    // Non-zero when controls are to be drawn themed: loaded, and the application style is a
    // native one.
    int IsThemeFunc() const;

    // Whether a style of this name draws like the desktop. Qt's portable styles do not.
    static bool IsNativeStyle(const QString& styleName);

private:
    bool m_loaded = false;
};
