// The habits of a desktop program: keyboard shortcuts, shown in the tooltips, and what the
// window remembers between runs (its place and size, the last folder, the save folder).
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeView>

#include "app/dialogs.h"
#include "app/main_unit.h"
#include "app/progress_forms.h"
#include "app/saving.h"

namespace paginor {

namespace {

constexpr const char* kGeometryKey = "Fenster/Geometrie";
constexpr const char* kLastFolderKey = "Ordner/Zuletzt";
constexpr const char* kSaveFolderKey = "Ordner/Speichern";

}  // namespace

QString WithShortcut(const QString& hint, const QKeySequence& keys) {
  return hint + " (" + keys.toString(QKeySequence::NativeText) + ")";
}

const std::vector<TMainForm::TShortcut>& TMainForm::Shortcuts() {
  static const std::vector<TShortcut> shortcuts = {
      {QKeySequence(Qt::CTRL | Qt::Key_O), &TMainForm::ShowFileList},
      {QKeySequence(Qt::CTRL | Qt::Key_S), &TMainForm::SaveBtnClick},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &TMainForm::HTMLBtnClick},
      {QKeySequence(Qt::CTRL | Qt::Key_Q), &TMainForm::EndeBtnClick},
      {QKeySequence(Qt::Key_F1), &TMainForm::ueberbtnClick},
  };
  return shortcuts;
}

void TMainForm::MakeShortcuts() {
  for (const TShortcut& s : Shortcuts()) {
    auto* shortcut = new QShortcut(s.keys, this);
    connect(shortcut, &QShortcut::activated, this, s.command);
  }
  for (int tab = 0; tab < PageControl2->count(); ++tab) {
    const QKeySequence keys(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + tab));
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this,
            [this, tab] { PageControl2->setCurrentIndex(tab); });
    PageControl2->setTabToolTip(tab, WithShortcut(PageControl2->tabText(tab), keys));
  }
  // Ctrl+O has no button of its own: the file tab names it.
  PageControl2->setTabToolTip(
      0, WithShortcut(PageControl2->tabText(0), QKeySequence(Qt::CTRL | Qt::Key_1)) + ", " +
             WithShortcut("Dateiliste", QKeySequence(Qt::CTRL | Qt::Key_O)));
  SaveBtn->setToolTip(WithShortcut("Den Text speichern", QKeySequence(Qt::CTRL | Qt::Key_S)));
  HTMLBtn->setToolTip(WithShortcut("Die HTML-Seite mit den Bildern speichern",
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
  for (QPushButton* cancel : {OpenPDFForm->BreakBtn, HTMLStatusForm->BreakBtn}) {
    cancel->setToolTip(WithShortcut("Die laufende Aktion abbrechen", QKeySequence(Qt::Key_Escape)));
  }
}

void TMainForm::ShowFileList() {
  PageControl2->setCurrentIndex(0);
  JamShellList1->setFocus(Qt::ShortcutFocusReason);
}

bool TMainForm::PressCancel(QEvent* event) {
  if (event->type() != QEvent::KeyPress ||
      static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) {
    return false;
  }
  QPushButton* cancel = OpenPDFForm->isVisible()      ? OpenPDFForm->BreakBtn
                        : HTMLStatusForm->isVisible() ? HTMLStatusForm->BreakBtn
                                                      : nullptr;
  if (cancel == nullptr) return false;
  cancel->click();
  return true;
}

QString TMainForm::StartFolder() {
  const QSettings settings(SettingsOwner(), SettingsOwner());
  const QString last = settings.value(kLastFolderKey).toString();
  return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

void TMainForm::RestoreSettings() {
  const QSettings settings(SettingsOwner(), SettingsOwner());
  restoreGeometry(settings.value(kGeometryKey).toByteArray());
  FSaveDir = settings.value(kSaveFolderKey).toString();
}

void TMainForm::StoreSettings() {
  const QString folder = FolderModel->filePath(JamShellTree1->currentIndex());
  paginor::StoreSettings(this, [this, &folder](QSettings& settings) {
    settings.setValue(kGeometryKey, saveGeometry());
    if (!folder.isEmpty()) settings.setValue(kLastFolderKey, folder);
    settings.setValue(kSaveFolderKey, FSaveDir);
  });
}

}  // namespace paginor
