#pragma once

#include <QDialog>

class QLineEdit;

namespace paginor {

// "Passwort eingeben": one field that shows a "*" for each character typed.
class TEnterPassForm final : public QDialog {
 public:
  explicit TEnterPassForm(QWidget* parent = nullptr);
  QLineEdit* PassEd;
};

}  // namespace paginor
