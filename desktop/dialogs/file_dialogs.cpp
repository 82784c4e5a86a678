#include "desktop/dialogs/file_dialogs.h"

#include <QFileDialog>
#include <algorithm>

namespace lf {
namespace {

const char* kProjectFilter = "Lyricforge Projects (*.lfp)";

QFileDialog& Configure(QFileDialog& dialog, const std::string& folder) {
  dialog.setNameFilter(QObject::tr(kProjectFilter));
  dialog.setDefaultSuffix("lfp");
  dialog.setDirectory(QString::fromStdString(folder));
  dialog.setOption(QFileDialog::ReadOnly, false);
  return dialog;
}

std::optional<std::string> Chosen(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace

std::optional<std::string> QtFileDialogs::ChooseProjectToOpen(const std::string& folder) {
  QFileDialog dialog(m_parent, QObject::tr("Open Lyricforge Project"));
  Configure(dialog, folder).setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  return Chosen(dialog);
}

std::optional<std::string> QtFileDialogs::ChooseProjectToSave(const std::string& folder) {
  QFileDialog dialog(m_parent, QObject::tr("Save Lyricforge Project"));
  Configure(dialog, folder).setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  return Chosen(dialog);
}

}  // namespace lf

namespace lf {

std::optional<std::string> QtFileDialogs::ChooseFile(const std::string& title, const std::string& folder,
                                                     const std::vector<FileFilter>& filters, int& filterIndex) {
  QFileDialog dialog(m_parent, QString::fromStdString(title));
  QStringList names;
  for (const FileFilter& f : filters)
    names << QString::fromStdString(f.text + " (" + f.patterns + ")").replace(';', ' ');
  dialog.setNameFilters(names);
  if (filterIndex >= 0 && filterIndex < names.size()) dialog.selectNameFilter(names[filterIndex]);
  dialog.setDirectory(QString::fromStdString(folder));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  auto chosen = Chosen(dialog);
  if (chosen) filterIndex = std::max(0, int(names.indexOf(dialog.selectedNameFilter())));
  return chosen;
}

}  // namespace lf

namespace lf {

std::optional<std::string> QtFileDialogs::ChooseFileToSave(const std::string& title, const std::string& folder,
                                                           const FileFilter& filter, const std::string& suffix,
                                                           const std::string& name) {
  QFileDialog dialog(m_parent, QString::fromStdString(title));
  dialog.setNameFilter(QString::fromStdString(filter.text + " (" + filter.patterns + ")").replace(';', ' '));
  dialog.setDefaultSuffix(QString::fromStdString(suffix));
  dialog.setDirectory(QString::fromStdString(folder));
  if (!name.empty()) dialog.selectFile(QString::fromStdString(name));
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  return Chosen(dialog);
}

}  // namespace lf
