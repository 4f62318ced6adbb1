// The font choice of "Schriftart auswählen:": the families installed plus the usual Windows
// names that the font configuration maps onto metric-compatible fonts (Arial onto Liberation
// Sans, ...), a height in pixels and the styles. It opens on the font in use and hands back
// the family by the name the user chose, so OK without a change keeps the font as it was.
#pragma once

#include <QDialog>
#include <QFont>

class QCheckBox;
class QLabel;
class QListWidget;
class QSpinBox;

namespace paginor {

class TFontForm final : public QDialog {
 public:
  TFontForm(const QFont& initial, QWidget* parent);

  // The font as chosen: the listed family name, the pixel height and the styles.
  QFont Font() const;

  QListWidget* FamilyList = nullptr;
  QSpinBox* SizeEd = nullptr;
  QCheckBox* BoldCheck = nullptr;
  QCheckBox* ItalicCheck = nullptr;
  QCheckBox* UnderlineCheck = nullptr;
  QCheckBox* StrikeOutCheck = nullptr;
  QLabel* Sample = nullptr;

 private:
  void ShowSample();
};

// The names offered: the installed families and Arial, Times New Roman and Courier New, sorted.
QStringList OfferedFamilies(const QStringList& installed);

}  // namespace paginor
