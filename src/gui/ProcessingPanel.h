#pragma once
// "Proces przetwarzania": the object and element labels and progress bars, and the
// Start/Stop button.
#include "app/Views.h"

#include <QGroupBox>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pelk {

class ProcessingPanel : public QGroupBox, public IProgressView
{
    Q_OBJECT
public:
    explicit ProcessingPanel(QWidget *parent = nullptr);

    void SetObjectLabel(const QString &text) override;
    void SetElementLabel(const QString &text) override;
    void ResetBar(Bar bar, int maximum) override;
    void StepBar(Bar bar, int step) override;
    int BarPosition(Bar bar) const override;
    int BarMaximum(Bar bar) const override;

    QPushButton *Button_Proces;
    QLabel *Label_ObjectTitle;
    QLabel *Label_Object;
    QLabel *Label_ElementTitle;
    QLabel *Label_Element;
    QProgressBar *JvXPProgressBar_Object;
    QProgressBar *JvXPProgressBar_Element;

private:
    QProgressBar *BarOf(Bar bar) const;
};

} // namespace pelk
