#include "support/OwnProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

namespace knvt::bench {

namespace {

// Set in a child to the name of the one benchmark it runs.
constexpr char kChildVariable[] = "KNVT_BENCH_OWN_PROCESS";

double secondsPer(const QString &unit)
{
    if (unit == QLatin1String("us"))
        return 1e-6;
    if (unit == QLatin1String("ms"))
        return 1e-3;
    if (unit == QLatin1String("s"))
        return 1;
    return 1e-9;
}

// One repetition in a child: its time and counters, or the reason it has none.
void runChild(benchmark::State &state, const QString &name)
{
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("report.json"));
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kChildVariable), name);
    child.setProcessEnvironment(environment);
    // The child's console and budget lines are the parent's to print.
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--benchmark_filter=^%1(/|$)").arg(QRegularExpression::escape(name)),
                 QStringLiteral("--benchmark_repetitions=1"), QStringLiteral("--benchmark_out=") + report,
                 QStringLiteral("--benchmark_out_format=json")});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit) {
        state.SkipWithError("the benchmark's own process did not finish");
        return;
    }
    QFile file(report);
    const QJsonArray runs = file.open(QIODevice::ReadOnly)
        ? QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("benchmarks")).toArray()
        : QJsonArray();
    if (runs.size() != 1) {
        state.SkipWithError("the benchmark's own process reported no run");
        return;
    }
    const QJsonObject run = runs.first().toObject();
    if (run.value(QLatin1String("error_occurred")).toBool()) {
        const std::string message = run.value(QLatin1String("error_message")).toString().toStdString();
        state.SkipWithError(message.c_str());
        return;
    }
    state.SetIterationTime(run.value(QLatin1String("real_time")).toDouble()
                           * secondsPer(run.value(QLatin1String("time_unit")).toString()));
    // What is left besides the run's own fields are its counters.
    static const QStringList fields{QStringLiteral("family_index"), QStringLiteral("per_family_instance_index"),
                                    QStringLiteral("repetitions"),  QStringLiteral("repetition_index"),
                                    QStringLiteral("threads"),      QStringLiteral("iterations"),
                                    QStringLiteral("real_time"),    QStringLiteral("cpu_time")};
    for (auto it = run.constBegin(); it != run.constEnd(); ++it)
        if (it.value().isDouble() && !fields.contains(it.key()))
            state.counters[it.key().toStdString()] = it.value().toDouble();
}

} // namespace

benchmark::internal::Benchmark *registerInOwnProcesses(const char *name, void (*function)(benchmark::State &))
{
    const char *child = std::getenv(kChildVariable);
    if (child && std::string(child) == name)
        return benchmark::RegisterBenchmark(name, function);
    return benchmark::RegisterBenchmark(name,
                                        [name = QString::fromLatin1(name)](benchmark::State &state) {
                                            for (auto _ : state)
                                                runChild(state, name);
                                        })
        ->UseManualTime()
        ->Iterations(1);
}

} // namespace knvt::bench
