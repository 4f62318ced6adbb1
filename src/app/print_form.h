// TPrintForm, "Bild drucken...": the preview of the page with the picture on it, the print
// size (the whole page or percentages of it), proportions, centring and the printer. The two
// percentages are kept in the settings from one print window to the next.
#pragma once

#include <QDialog>

#include "app/picture_logic.h"
#include "images/pixolet.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace paginor {

class TPaintBox;

class TPrintForm final : public QDialog {
 public:
  TPrintForm(QPrinter& printer, QWidget* parent);
  ~TPrintForm() override;

  // A copy of the viewer's picture, sharing its pixels.
  TDIB Bitmap;
  bool FSyncing = false;

  QLabel* RxLabel1 = nullptr;
  QFrame* Panel1 = nullptr;
  TPaintBox* PrintPaintBox = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QRadioButton* UseFullCheck = nullptr;
  QRadioButton* UserdefCheck = nullptr;
  QSpinBox* BreitEdit = nullptr;
  QSpinBox* HochEdit = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QCheckBox* SverhCheck = nullptr;
  QCheckBox* ZentrCheck = nullptr;
  QPushButton* OkBitBtn1 = nullptr;
  QPushButton* PrintSetupBtn = nullptr;
  QPushButton* CancelBitBtn2 = nullptr;

  void PrintPaintBoxPaint(QPainter& painter);
  void BreitEditChange();
  void HochEditChange();
  void UserdefCheckClick();
  void PrintSetupBtnClick();
  void FormShow();
  // What the controls say about size and place.
  TPrintChoice Choice() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Repaints the preview at once; inside its own paint only when a percentage changed, later.
  void RepaintPreview(bool changed);

  QPrinter& printer_;
  bool painting_ = false;
};

// The print job: the picture on one page of the printer, titled "Kestrel Bild", at the place
// and size the choice gives. False when the printer could not be started.
bool PrintPicture(QPrinter& printer, const TDIB& picture, const TPrintChoice& choice);

}  // namespace paginor
