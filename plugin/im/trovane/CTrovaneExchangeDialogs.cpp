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
constexpr uint32_t kLookInText = 1163;
constexpr uint32_t kFileNameText = 1164;
constexpr uint32_t kFileTypeText = 1165;
constexpr uint32_t kSaveText = 1166;
constexpr uint32_t kOpenText = 1167;
constexpr uint32_t kCancelText = 1094;

QFileDialog* Make(void* resources, QWidget* parent, uint32_t title) {
    auto* dialog = new QFileDialog(parent, CResourceLoader::LoadString(resources, title));
    dialog->setNameFilters({CResourceLoader::LoadString(resources, kFilterText),
                            CResourceLoader::LoadString(resources, kAllFilesText)});
    dialog->setDefaultSuffix(QStringLiteral("zdc"));
    dialog->selectFile(QStringLiteral("ExportFile.zdc"));
    // The same widgets on every desktop, with the core's texts.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    const auto text = [resources](uint32_t id) {
        return CResourceLoader::LoadString(resources, id);
    };
    dialog->setLabelText(QFileDialog::LookIn, text(kLookInText));
    dialog->setLabelText(QFileDialog::FileName, text(kFileNameText));
    dialog->setLabelText(QFileDialog::FileType, text(kFileTypeText));
    return dialog;
}

// Set last: changing the accept mode puts the buttons' own texts back.
void SetButtons(QFileDialog* dialog, void* resources, uint32_t accept) {
    dialog->setLabelText(QFileDialog::Accept, CResourceLoader::LoadString(resources, accept));
    dialog->setLabelText(QFileDialog::Reject, CResourceLoader::LoadString(resources, kCancelText));
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
    SetButtons(dialog, resources, kSaveText);
    return dialog;
}

QFileDialog* MakeImportDialog(void* resources, QWidget* parent) {
    QFileDialog* dialog = Make(resources, parent, kImportTitleText);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::ReadOnly, false);
    SetButtons(dialog, resources, kOpenText);
    return dialog;
}

QString AskExportPath(void* resources, QWidget* parent) {
    return Run(MakeExportDialog(resources, parent));
}

QString AskImportPath(void* resources, QWidget* parent) {
    return Run(MakeImportDialog(resources, parent));
}

} // namespace CTrovaneExchangeDialogs
