// What a list window does when it is filled: select a user (class plus ten studio references) on a
// 1,000-keypanel intercom, then ask every keypanel's effective, explicit and inherited state, and
// explain one row.
#include "restrictions/AccessExplanation.h"
#include "restrictions/EntitySelection.h"
#include "restrictions/RestrictionsParser.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

using namespace vexilor;

std::string ranges(std::mt19937& rng)
{
    std::string r;
    std::uint32_t n = std::uniform_int_distribution<std::uint32_t>(1, 30)(rng);
    while (n < 1000) {
        const std::uint32_t end = std::min<std::uint32_t>(1000, n + std::uniform_int_distribution<std::uint32_t>(0, 40)(rng));
        if (!r.empty())
            r += ',';
        r += std::to_string(n);
        if (end > n) {
            r += '-';
            r += std::to_string(end);
        }
        n = end + std::uniform_int_distribution<std::uint32_t>(2, 60)(rng);
    }
    return r;
}

CRestrictionsModel& model()
{
    static CRestrictionsModel m = [] {
        std::mt19937 rng(7);
        std::string text;
        for (int s = 0; s < 10; ++s) {
            text += "[STUDIO \"S" + std::to_string(s) + "\"]\r\n";
            text += "KP.Edit = " + ranges(rng) + "\r\nKP.Assign = " + ranges(rng) + "\r\n";
        }
        text += "[CLASS \"C\"]\r\nstudio+=\"S0\"\r\nstudio+=\"S1\"\r\nKP.Edit -= " + ranges(rng) + "\r\n";
        text += "[USER \"u\"]\r\nclass=\"C\"\r\n";
        for (int s = 2; s < 10; ++s)
            text += std::string(s % 3 ? "studio+=\"S" : "studio-=\"S") + std::to_string(s) + "\"\r\n";
        text += "KP.Edit += " + ranges(rng) + "\r\nKP.Edit @= " + ranges(rng) + "\r\n";
        CRestrictionsModel model;
        if (!parseRestrictions(model, text).ok)
            std::abort();
        return model;
    }();
    return m;
}

void BM_SelectUser(benchmark::State& state)
{
    CEntitySelection selection(model());
    for (auto _ : state)
        benchmark::DoNotOptimize(selection.select(u"u", EntityKind::User));
}

void BM_FillThousandKeypanelRows(benchmark::State& state)
{
    CEntitySelection selection(model());
    selection.select(u"u", EntityKind::User);
    for (auto _ : state) {
        int sum = 0;
        for (std::uint32_t n = 1; n <= 1000; ++n)
            sum += selection.isRestricted(0, n) + selection.isInherited(0, n) + selection.inheritedRestricted(0, n);
        benchmark::DoNotOptimize(sum);
    }
}

// The "why" of one row (the tooltip of a list row): the worst case is a keypanel that no layer
// marks, so the user's class base is replayed through every reference.
void BM_ExplainOneRow(benchmark::State& state)
{
    CEntitySelection selection(model());
    selection.select(u"u", EntityKind::User);
    std::uint32_t n = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(explainResource(model(), selection, 0, n));
        n = n % 1000 + 1;
    }
}

BENCHMARK(BM_SelectUser)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExplainOneRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillThousandKeypanelRows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
