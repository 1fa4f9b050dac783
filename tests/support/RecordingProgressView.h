#pragma once
// A processing panel that records its labels and the ranges and positions of its two bars.
#include "app/Views.h"

namespace pelk::test {

class RecordingProgressView : public IProgressView
{
public:
    void SetObjectLabel(const QString &text) override { objectLabel = text; }
    void SetElementLabel(const QString &text) override { elementLabel = text; }
    void ResetBar(Bar bar, int maximum) override
    {
        max[bar] = maximum;
        pos[bar] = 0;
    }
    void StepBar(Bar bar, int step) override { pos[bar] += step; }
    int BarPosition(Bar bar) const override { return pos[bar]; }
    int BarMaximum(Bar bar) const override { return max[bar]; }

    QString objectLabel = QStringLiteral("-"), elementLabel = QStringLiteral("-");
    int max[2] = {-1, -1}, pos[2] = {-1, -1};
};

} // namespace pelk::test
