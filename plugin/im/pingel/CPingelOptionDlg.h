// The notification options: a modeless dialog (at most one) that edits every notification
// setting. OK checks the number fields in order, then hands the values to the owner, which
// writes them and applies them to an open notification window.
#pragma once

#include "obrix/ZeltaPlatform.h"
#include "plugin/im/pingel/CPingelSettings.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <functional>
#include <optional>

class CColorButton;
class CPingelUpDown;
class CStaticEx;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

class CPingelOptionDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids of the dialog.
    enum ControlId {
        IDC_OK = 1,
        IDC_CANCEL = 2,
        IDC_VISIBLE = 8001,
        IDC_LINE_LABEL = 8002,
        IDC_LINE_EDIT = 8003,
        IDC_LINE_SPIN = 8004,
        IDC_LINE_UNIT = 8005,
        IDC_WIDTH_CHECK = 8006,
        IDC_WIDTH_EDIT = 8007,
        IDC_WIDTH_SPIN = 8008,
        IDC_WIDTH_UNIT = 8009,
        IDC_CLOSE_CHECK = 8010,
        IDC_CLOSE_EDIT = 8011,
        IDC_CLOSE_SPIN = 8012,
        IDC_CLOSE_UNIT = 8013,
        IDC_INFO_GROUP = 8014,
        IDC_ALPHA_LABEL = 8027,
        IDC_ALPHA_EDIT = 8028,
        IDC_ALPHA_SPIN = 8029,
        IDC_ALPHA_UNIT = 8030,
        IDC_BACK_LABEL = 8031,
        IDC_BACK_COLOR = 8032,
        IDC_BORDER = 8033,
        IDC_DEFAULT = 4076,
    };
    // The six controls of one line kind: check box, preview, colour button, icon, face list
    // and size list.
    struct RowIds {
        int check, preview, color, icon, face, size;
    };
    static const RowIds kRows[CPingelSettings::LineKindCount];
    static const int kFontSizes[14];

    // Colour chooser: the chosen colour, nothing when the user cancelled.
    using ColorChooser = std::function<std::optional<COLORREF>(QWidget* parent, COLORREF initial)>;
    using Warner =
        std::function<void(QWidget* parent, const QString& caption, const QString& text)>;

    // resources: the core's resource module for captions and the row icon.
    CPingelOptionDlg(void* resources, const CPingelSettings& current, QWidget* parent = nullptr);

    QWidget* Control(int id) const { return m_controls.value(id); }
    // What OK stores: the controls' values over the settings the dialog was opened with.
    CPingelSettings Values() const;
    // Puts the default of every setting into the controls; nothing is written.
    void SetDefaults();
    // OK: checks the enabled number fields in order; the first bad one gets the focus with
    // its text selected after the warning. On success emits Stored and closes.
    void OnOK();
    // Tab, Shift+Tab and Enter while the dialog is the active window; true when consumed.
    bool PreTranslate(MSG* msg);

    void SetColorChooser(ColorChooser chooser) { m_chooseColor = std::move(chooser); }
    void SetWarner(Warner warner) { m_warn = std::move(warner); }

signals:
    void Stored(const CPingelSettings& values);

private:
    template <class W> W* Add(int id, W* widget);
    QCheckBox* AddCheck(int id, uint32_t text);
    QLabel* AddLabel(int id, uint32_t text);
    void AddNumberRow(QGridLayout* grid, int row, QWidget* lead, int editId, int minimum,
                      int maximum, uint32_t unitText);
    void BuildRow(QGridLayout* grid, int row, CPingelSettings::LineKind kind, uint32_t text);
    void Show(const CPingelSettings& s);
    void UpdateEnabling();
    void UpdatePreview(CPingelSettings::LineKind kind);
    void ChooseColor(int buttonId);
    bool Validate();
    void MoveFocus(int direction);

    void* m_resources;
    CPingelSettings m_base;
    QHash<int, QWidget*> m_controls;
    QList<QWidget*> m_order; // controls in tab order
    int m_workWidth = 1;
    ColorChooser m_chooseColor;
    Warner m_warn;
};
