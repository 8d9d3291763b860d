// The message options: a modeless dialog (one at a time) over every value of CIMMesSettings,
// with a sample of the chosen font. OK hands the values to the owner, which writes them.
#pragma once

#include "plugin/im/letrix/CIMMesSettings.h"

#include <QDialog>

class CColorSwatch;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CIMMesPropDialog : public QDialog {
    Q_OBJECT
public:
    // resources: the core's resource module holding the captions.
    CIMMesPropDialog(void* resources, const CIMMesSettings& current, QWidget* parent = nullptr);

    // The controls' values; nothing when they cannot be taken (a size that is no number).
    std::optional<CIMMesSettings> Values() const;
    void SetValues(const CIMMesSettings& values);
    // "Default": the default of every value into the controls; nothing is written.
    void SetDefaults() { SetValues(CIMMesSettings()); }
    // OK: takes the values (a ring tone file without a path becomes the built-in tone), emits
    // Stored and closes; warns and stays open when the values cannot be taken.
    void OnOK();
    // Enter on a focused push button presses it; true when consumed.
    bool PreTranslate(MSG* msg);

    QComboBox* FaceList() const { return m_face; }
    QComboBox* SizeList() const { return m_size; }
    QLineEdit* PathField() const { return m_path; }
    QAbstractButton* PositionButton(int position) const;
    QAbstractButton* ToneButton(int type) const;
    QLabel* Sample() const { return m_sample; }

signals:
    void Stored(const CIMMesSettings& values);

private:
    QString Text(uint32_t id) const;
    void UpdateToneControls();
    void UpdateSample();
    void ChooseToneFile();
    void PlayTone();

    void* m_resources;
    QButtonGroup* m_position = nullptr;
    QButtonGroup* m_tone = nullptr;
    QCheckBox* m_confirm = nullptr;
    QCheckBox* m_keepFonts = nullptr;
    QComboBox* m_face = nullptr;
    QComboBox* m_size = nullptr;
    CColorSwatch* m_fore = nullptr;
    CColorSwatch* m_back = nullptr;
    QLabel* m_sample = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_reference = nullptr;
    QPushButton* m_audition = nullptr;
};
