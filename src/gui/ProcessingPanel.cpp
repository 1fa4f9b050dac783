#include "ProcessingPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelk {

namespace {
QFont Bold(QFont f)
{
    f.setBold(true);
    return f;
}
} // namespace

ProcessingPanel::ProcessingPanel(QWidget *parent) : QGroupBox(QStringLiteral("Proces przetwarzania"), parent)
{
    setFont(Bold(font()));
    QFont normal = font();
    normal.setBold(false);

    auto *layout = new QVBoxLayout(this);
    auto makeRow = [&](const QString &title, QLabel *&titleLabel, QLabel *&valueLabel, QProgressBar *&bar) {
        auto *row = new QHBoxLayout;
        titleLabel = new QLabel(title, this);
        valueLabel = new QLabel(this);
        titleLabel->setFont(normal);
        valueLabel->setFont(normal);
        row->addWidget(titleLabel);
        row->addWidget(valueLabel, 1);
        layout->addLayout(row);
        bar = new QProgressBar(this);
        bar->setRange(0, 1);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setFixedHeight(18);
        layout->addWidget(bar);
        layout->addSpacing(6);
    };
    makeRow(QStringLiteral("Przetwarzany obiekt:"), Label_ObjectTitle, Label_Object, JvXPProgressBar_Object);
    makeRow(QStringLiteral("Przetwarzany element:"), Label_ElementTitle, Label_Element, JvXPProgressBar_Element);
    layout->addStretch(1);
    Button_Proces = new QPushButton(this);
    Button_Proces->setFont(normal);
    Button_Proces->setFixedSize(90, 28);
    layout->addWidget(Button_Proces, 0, Qt::AlignHCenter);
}

QProgressBar *ProcessingPanel::BarOf(Bar bar) const
{
    return bar == ObjectBar ? JvXPProgressBar_Object : JvXPProgressBar_Element;
}

void ProcessingPanel::SetObjectLabel(const QString &text)
{
    Label_Object->setText(text);
}
void ProcessingPanel::SetElementLabel(const QString &text)
{
    Label_Element->setText(text);
}

void ProcessingPanel::ResetBar(Bar bar, int maximum)
{
    QProgressBar *b = BarOf(bar);
    b->setRange(0, maximum);
    b->setValue(0);
    b->repaint();
}

void ProcessingPanel::StepBar(Bar bar, int step)
{
    QProgressBar *b = BarOf(bar);
    b->setValue(qMin(b->maximum(), b->value() + step));
    b->repaint();
}

int ProcessingPanel::BarPosition(Bar bar) const
{
    return BarOf(bar)->value();
}
int ProcessingPanel::BarMaximum(Bar bar) const
{
    return BarOf(bar)->maximum();
}

} // namespace pelk
