#include "plugin/im/trovane/CTrovaneExchangeDialogs.h"

#include "obrix/CResourceLoader.h"

#include <QFileDialog>
#include <memory>

namespace CTrovaneExchangeDialogs {

namespace {

constexpr uint32_t kFilterText = 1142;
constexpr uint32_t kAllFilesText = 1139;
constexpr uint32_t kExportTitleText = 1143;
constexpr uint32_t kImportTitleText = 1144;

QFileDialog* Make(void* resources, QWidget* parent, uint32_t title) {
    auto* dialog = new QFileDialog(parent, CResourceLoader::LoadString(resources, title));
    dialog->setNameFilters({CResourceLoader::LoadString(resources, kFilterText),
                            CResourceLoader::LoadString(resources, kAllFilesText)});
    dialog->setDefaultSuffix(QStringLiteral("zdc"));
    dialog->selectFile(QStringLiteral("ExportFile.zdc"));
    // The same widgets on every desktop, with the core's texts.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}

QString Run(QFileDialog* made) {
    std::unique_ptr<QFileDialog> dialog(made);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().first();
}

} // namespace

QFileDialog* MakeExportDialog(void* resources, QWidget* parent) {
    QFileDialog* dialog = Make(resources, parent, kExportTitleText);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    return dialog;
}

QFileDialog* MakeImportDialog(void* resources, QWidget* parent) {
    QFileDialog* dialog = Make(resources, parent, kImportTitleText);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::ReadOnly, false);
    return dialog;
}

QString AskExportPath(void* resources, QWidget* parent) {
    return Run(MakeExportDialog(resources, parent));
}

QString AskImportPath(void* resources, QWidget* parent) {
    return Run(MakeImportDialog(resources, parent));
}

} // namespace CTrovaneExchangeDialogs
