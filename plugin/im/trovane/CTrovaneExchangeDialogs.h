// The file dialogs of export and import: a save dialog that asks before overwriting and an
// open dialog that needs an existing file, both proposing "ExportFile.zdc" with the export
// files' filter and adding the extension "zdc" to a name typed without one.
#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace CTrovaneExchangeDialogs {

// The dialogs themselves (the caller owns them), built with the core's texts.
QFileDialog* MakeExportDialog(void* resources, QWidget* parent);
QFileDialog* MakeImportDialog(void* resources, QWidget* parent);

// Runs a dialog; the chosen path, or empty when cancelled.
QString AskExportPath(void* resources, QWidget* parent);
QString AskImportPath(void* resources, QWidget* parent);

} // namespace CTrovaneExchangeDialogs
