#pragma once
// The middle stages of the pipeline timed alone, as a run does them: source objects written to
// trees in memory, each tree transformed by the kind's stylesheet, and the result trees read
// into target objects.
#include "Timing.h"
#include "app/DM_Main.h"
#include "engine/InterfaceObject.h"
#include "engine/StagedDocument.h"
#include "engine/Transformation.h"

#include <functional>
#include <memory>
#include <vector>

namespace pelk::bench {

struct StageTimes
{
    double xmlWrite = 0, transform = 0, xmlRead = 0;
};

// Writes every source, transforms it with the stylesheet of the transformation folder, and reads
// the results into targets made by makeTarget.
template <class Source, class Target>
StageTimes TimeDocumentStages(TDM_Main &dm, const std::vector<std::unique_ptr<Source>> &sources, const QString &xslFolder,
                              const QString &stylesheet, const std::function<std::unique_ptr<Target>()> &makeTarget,
                              std::vector<std::unique_ptr<Target>> &targets)
{
    StageTimes times;
    std::vector<TStagedDocument> sourceDocs(sources.size()), targetDocs(sources.size());
    times.xmlWrite = SecondsOf([&] {
        for (size_t i = 0; i < sources.size(); ++i) {
            sources[i]->Document = &sourceDocs[i];
            sources[i]->SaveToXML();
        }
    });
    TStylesheetCache cache;
    times.transform = SecondsOf([&] {
        for (size_t i = 0; i < sources.size(); ++i) {
            TTransformationObject t(*dm.Log(), QString(), xslFolder, &cache);
            t.InputName = QStringLiteral("source%1.xml").arg(i);
            t.OutputName = QStringLiteral("target%1.xml").arg(i);
            t.StylesheetName = stylesheet;
            t.Input = sourceDocs[i].Tree();
            t.Output = &targetDocs[i];
            t.Transform();
        }
    });
    times.xmlRead = SecondsOf([&] {
        for (size_t i = 0; i < sources.size(); ++i) {
            std::unique_ptr<Target> target = makeTarget();
            target->Document = &targetDocs[i];
            target->LoadFromXML();
            target->Document = nullptr;
            targets.push_back(std::move(target));
        }
    });
    for (const auto &source : sources)
        source->Document = nullptr;
    return times;
}

} // namespace pelk::bench
