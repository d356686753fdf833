// Costs of a large intercom configuration: giving every resource its generated alphas (what an
// upload does first), copying the whole configuration (working copy to current), and the alpha
// lookups that the resource windows make row by row.
#include <benchmark/benchmark.h>

#include "intercom/Intercom.h"

namespace {

using vexilor::CIntercom;

void fillGeneratedAlphas(CIntercom& icom, unsigned perType)
{
    for (unsigned type = 0; type < vexilor::restype::kCount; ++type) {
        if (!vexilor::restype::HasAlphas(type)) {
            continue;
        }
        for (unsigned n = 1; n <= perType; ++n) {
            const std::u16string generated = icom.DefaultAlpha(type, n);
            vexilor::CAlpha& alpha = icom.alphas[vexilor::ResourceKey(type, n)];
            for (unsigned size : {4u, 6u, 8u, 16u}) {
                alpha.SetAlpha(generated, size);
            }
        }
    }
}

CIntercom largeConfiguration(unsigned perType)
{
    CIntercom icom;
    fillGeneratedAlphas(icom, perType);
    for (unsigned type = 0; type <= 17; ++type) {
        for (unsigned n = 1; n <= perType; ++n) {
            icom.descriptions[vexilor::ResourceKey(type, n)].text = u"A description of 24 chars";
        }
    }
    return icom;
}

void BM_FillGeneratedAlphas(benchmark::State& state)
{
    const auto perType = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        CIntercom icom;
        fillGeneratedAlphas(icom, perType);
        benchmark::DoNotOptimize(icom.alphas.size());
    }
    state.SetItemsProcessed(state.iterations() * 12 * perType);
}
BENCHMARK(BM_FillGeneratedAlphas)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_CopyConfiguration(benchmark::State& state)
{
    const CIntercom source = largeConfiguration(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) {
        CIntercom copy;
        copy = source;
        benchmark::DoNotOptimize(copy.alphas.size());
    }
}
BENCHMARK(BM_CopyConfiguration)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_AlphaTextOfEveryKeypanel(benchmark::State& state)
{
    const auto perType = static_cast<unsigned>(state.range(0));
    const CIntercom icom = largeConfiguration(perType);
    for (auto _ : state) {
        for (unsigned n = 1; n <= perType; ++n) {
            benchmark::DoNotOptimize(icom.AlphaText(0, n, 8));
        }
    }
    state.SetItemsProcessed(state.iterations() * perType);
}
BENCHMARK(BM_AlphaTextOfEveryKeypanel)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
