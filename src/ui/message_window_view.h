#pragma once
// The always-on-top message window of a scheduled cut; a click anywhere dismisses it.
#include <QWidget>
#include <vector>

#include "form/main_form.h"
#include "ui/binder.h"

namespace lt {

class MessageWindowView : public QWidget {
    Q_OBJECT
  public:
    explicit MessageWindowView(DialogoForm& model, QWidget* parent = nullptr);

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    void follow();
    void fitTexts();
    void dismiss();

    DialogoForm& model_;
    Binder binder_;
    std::vector<Notifier<>::Subscription> subscriptions_;
};

}  // namespace lt
