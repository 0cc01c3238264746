// The archive operations of KNVTFile, run through the system's zip, zipinfo and tar.
#include "foundation/filesystem/KNVTFile.h"

#include "foundation/filesystem/FileOperations.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>

namespace {

// Runs the tool without a shell and waits for it; true when it exits normally with status 0. Every path handed to
// a tool is absolute, so that no name beginning with "-" can be read as an option.
bool runTool(const QString &tool, const QStringList &arguments, const QString &workingDirectory = QString(),
             QByteArray *output = nullptr)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return false;
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    if (!output)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1))
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString absolute(const QString &path)
{
    return knvt::fileops::absoluteCleanPath(path);
}

} // namespace

bool KNVTFile::zipFromPath(const QString &sourcePath, const QString &destinationPath)
{
    // An archive of a folder holds what is in the folder, not the folder; one of a file holds the file. It is built
    // beside the destination and replaces it only once complete.
    const QString source = absolute(sourcePath);
    const QString destination = absolute(destinationPath);
    const QString staged = knvt::fileops::temporarySiblingPath(destination) + QLatin1String(".zip");
    const bool folder = knvt::fileops::isDirectory(source, true);
    const bool made = folder
        ? runTool(QStringLiteral("zip"),
                  {QStringLiteral("-r"), QStringLiteral("-q"), QStringLiteral("-X"), QStringLiteral("-y"), staged,
                   QStringLiteral(".")},
                  source)
        : runTool(QStringLiteral("zip"),
                  {QStringLiteral("-j"), QStringLiteral("-q"), QStringLiteral("-X"), staged, source});
    if (made && knvt::fileops::moveItemReplacing(staged, destination, nullptr))
        return true;
    if (knvt::fileops::itemExists(staged))
        knvt::fileops::removeItem(staged, nullptr);
    return false;
}

bool KNVTFile::zipFromPaths(const QStringList &sourcePaths, const QString &destinationPath)
{
    QStringList arguments{QStringLiteral("-j"), absolute(destinationPath)};
    for (const QString &source : sourcePaths)
        arguments.append(absolute(source));
    return runTool(QStringLiteral("zip"), arguments);
}

bool KNVTFile::zipFiles(const QList<Ptr> &files, const QString &destinationPath)
{
    QStringList paths;
    for (const Ptr &file : files)
        paths.append(file->path());
    return zipFromPaths(paths, destinationPath);
}

bool KNVTFile::tarGzFromPath(const QString &sourcePath, const QString &destinationPath)
{
    return runTool(QStringLiteral("tar"), {QStringLiteral("-czf"), absolute(destinationPath), absolute(sourcePath)});
}

bool KNVTFile::stageFiles(const QList<Ptr> &files, const QString &stagingPath)
{
    // An archive missing some of the files would pass for a complete one; the first failed copy ends the staging.
    for (const Ptr &file : files) {
        const QString target =
            avalaiblePathForSuggestedPath(QStringLiteral("%1/%2").arg(stagingPath, file->nameWithExtension()));
        if (!file->copyToPath(target))
            return false;
    }
    return true;
}

bool KNVTFile::zipFiles(const QList<Ptr> &files, const QString &destinationPath, const QString &stagingPath)
{
    return stageFiles(files, stagingPath) && zipFromPath(stagingPath, destinationPath);
}

bool KNVTFile::tarGzFiles(const QList<Ptr> &files, const QString &destinationPath, const QString &stagingPath)
{
    return stageFiles(files, stagingPath) && tarGzFromPath(stagingPath, destinationPath);
}

std::optional<QStringList> KNVTFile::fileNamesInZipAtPath(const QString &path)
{
    QByteArray output;
    if (!runTool(QStringLiteral("zipinfo"), {QStringLiteral("-1"), absolute(path)}, QString(), &output))
        return std::nullopt;
    QStringList names;
    const QString text = QStringDecoder(QStringDecoder::Utf8).decode(output);
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (!line.isEmpty())
            names.append(line);
    return names;
}

bool KNVTFile::zipToPath(const QString &destinationPath) const
{
    return zipFromPath(path(), destinationPath);
}

bool KNVTFile::zipToURL(const QUrl &destinationURL) const
{
    return zipToPath(destinationURL.toLocalFile());
}

bool KNVTFile::compressToPath(const QString &destinationPath) const
{
    return KNVTFile::zipFromPath(path(), destinationPath);
}

bool KNVTFile::compressToURL(const QUrl &destinationURL) const
{
    return compressToPath(destinationURL.toLocalFile());
}

bool KNVTFile::zip() const
{
    const QString suggested = QStringLiteral("%1/%2.zip").arg(QFileInfo(path()).path(), nameWithoutExtension());
    return zipToPath(avalaiblePathForSuggestedPath(suggested));
}
