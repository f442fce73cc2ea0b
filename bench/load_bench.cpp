// Loading saved state, which travels between people and can be made as large as its reader
// allows: property bags (25k to 100k entries, and a 64 MiB bag, the reader's own limit) and
// window descriptions of many labels, read by the form loader and opened by the container.
// Each should take time in proportion to its size.
#include "designform.h"

#include "velloc/hosting/formloader.h"
#include "velloc/store/propertybag.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

using namespace velloc;
using container::DesignForm;

namespace {

// `entries` lines of about `lineLength` characters each.
QString bagText(int entries, int lineLength)
{
    QString text = QStringLiteral("# property bag\n");
    const QString filler(std::max(0, lineLength - 24), QLatin1Char('x'));
    for (int i = 0; i < entries; ++i)
        text += QStringLiteral("entry%1 = \"%2\"\n").arg(i).arg(filler);
    return text;
}

QByteArray formOfLabels(int labels)
{
    QJsonArray controls;
    for (int i = 0; i < labels; ++i)
        controls.append(QJsonObject {{QStringLiteral("name"), QStringLiteral("Label%1").arg(i)},
                                     {QStringLiteral("kind"), QStringLiteral("label")},
                                     {QStringLiteral("left"), 120 * (i % 50)},
                                     {QStringLiteral("top"), 240 * (i / 50)},
                                     {QStringLiteral("width"), 1000},
                                     {QStringLiteral("height"), 200},
                                     {QStringLiteral("caption"), QStringLiteral("Label %1").arg(i)}});
    return QJsonDocument(QJsonObject {{QStringLiteral("name"), QStringLiteral("Form1")},
                                      {QStringLiteral("clientWidth"), 9000},
                                      // tall enough for every row, so that no label lies off the form
                                      {QStringLiteral("clientHeight"), 240 * (labels / 50 + 1)},
                                      {QStringLiteral("controls"), controls}})
        .toJson();
}

void BagEntries(benchmark::State& state)
{
    const QString text = bagText(int(state.range(0)), 30);
    for (auto _ : state) {
        Result<PropertyBag> bag = PropertyBag::fromText(text);
        if (!bag || bag->entries().size() != state.range(0))
            state.SkipWithError("the bag did not load");
        benchmark::DoNotOptimize(bag);
    }
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
}
BENCHMARK(BagEntries)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BagOfTheLargestSize(benchmark::State& state)
{
    // 100k entries of 671 characters: 64 MiB of UTF-8, what PropertyBag::load accepts at most.
    const QString text = bagText(100000, 671).left(64 << 20);
    const QString whole = text.left(text.lastIndexOf(QLatin1Char('\n')) + 1);
    for (auto _ : state) {
        Result<PropertyBag> bag = PropertyBag::fromText(whole);
        if (!bag)
            state.SkipWithError("the bag did not load");
        benchmark::DoNotOptimize(bag);
    }
    state.SetBytesProcessed(state.iterations() * whole.toUtf8().size());
}
BENCHMARK(BagOfTheLargestSize)->Unit(benchmark::kMillisecond)->Iterations(2);

void FormLoaderLabels(benchmark::State& state)
{
    const QByteArray json = formOfLabels(int(state.range(0)));
    for (auto _ : state) {
        Result<std::unique_ptr<Form>> form = FormLoader::fromJson(json);
        if (!form)
            state.SkipWithError("the form did not load");
        benchmark::DoNotOptimize(form);
    }
    state.SetBytesProcessed(state.iterations() * json.size());
}
BENCHMARK(FormLoaderLabels)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);

void ContainerOpensLabels(benchmark::State& state)
{
    const QByteArray json = formOfLabels(int(state.range(0)));
    for (auto _ : state) {
        DesignForm form;
        QStringList problems;
        if (!form.open(json, &problems) || !problems.isEmpty())
            state.SkipWithError("the form did not open");
    }
    state.SetBytesProcessed(state.iterations() * json.size());
}
BENCHMARK(ContainerOpensLabels)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
