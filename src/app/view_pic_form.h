// TViewPicForm, "Bild betrachten...": one extracted picture at a chosen zoom, moved with the
// mouse, saved in one of the imaging layer's file types, printed. Created once and reused;
// it keeps its zoom, scroll positions and save type between showings.
#pragma once

#include <QDialog>

#include "images/pixolet.h"

class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QStatusBar;

namespace paginor {

class TPaintBox;

class TViewPicForm final : public QDialog {
 public:
  // printer: the program's printer, which the print window prints on.
  TViewPicForm(QPrinter& printer, QWidget* parent);
  ~TViewPicForm() override;

  // A copy of an entry of the image list, sharing its pixels.
  TDIB Bitmap;
  bool FDragging = false;
  int FGrabX = 0;
  int FGrabY = 0;
  int FSaveType = 1;  // the save dialog's last chosen type, from 1
  // Where the save dialog opens and the name it offers, without extension: set for each
  // picture by whoever shows the viewer. The folder of a save made here wins over it.
  QString SaveSuggestion;

  QWidget* Panel5 = nullptr;
  QPushButton* ReadyBtn = nullptr;
  QPushButton* PrintBrn = nullptr;
  QPushButton* SaveAsBtn = nullptr;
  QLabel* Label1 = nullptr;
  QSpinBox* ZoomEd = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QScrollArea* ScrollBox1 = nullptr;
  TPaintBox* PaintBox1 = nullptr;

  // Run directly: sizes the paint box to the zoomed picture, or paints it at once.
  void PaintBox1Paint();
  void PaintBox1Paint(QPainter& painter);
  void ZoomEdChange();
  void PaintBox1MouseDown(int X, int Y);
  void PaintBox1MouseMove(int X, int Y);
  void PaintBox1MouseUp();
  void FormMouseWheelDown();
  void FormMouseWheelUp();
  void SaveAsBtnClick();
  void PrintBrnClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // True when the paint box had to change its size to the zoomed picture's.
  bool FitPaintBox();

  QPrinter& printer_;
  QString save_dir_;
};

}  // namespace paginor
