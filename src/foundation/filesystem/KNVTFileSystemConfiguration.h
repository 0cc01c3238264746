#pragma once

#include <QSet>
#include <QString>

class KNVTFileClass;

// Names the classes that stand for files, directories and volumes in one file system, with a few settings carried
// for clients. A value: copies are independent, and a copy of a derived configuration is a plain configuration.
class KNVTFileSystemConfiguration
{
public:
    // The defaults: identifier "com.hollowpine.filesystemconfiguration.default", KNVTFile, KNVTDirectory and
    // KNVTVolume, the extensions of unfinished downloads, hidden files not shown.
    KNVTFileSystemConfiguration();
    virtual ~KNVTFileSystemConfiguration();
    KNVTFileSystemConfiguration(const KNVTFileSystemConfiguration &other);
    KNVTFileSystemConfiguration &operator=(const KNVTFileSystemConfiguration &other);

    static KNVTFileSystemConfiguration defaultFileSystemConfiguration();
    // The defaults under another identifier; an empty identifier is a broken precondition.
    static KNVTFileSystemConfiguration fileSystemConfigurationWithIdentifier(const QString &identifier);
    // A plain configuration with the receiver's values, whatever class the receiver is.
    KNVTFileSystemConfiguration copy() const { return KNVTFileSystemConfiguration(*this); }

    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString &identifier) { m_identifier = identifier; }
    // The classes are those of the model or classes derived from them; nullptr leaves the configuration invalid.
    const KNVTFileClass *fileClass() const { return m_fileClass; }
    void setFileClass(const KNVTFileClass *fileClass) { m_fileClass = fileClass; }
    const KNVTFileClass *directoryClass() const { return m_directoryClass; }
    void setDirectoryClass(const KNVTFileClass *directoryClass) { m_directoryClass = directoryClass; }
    const KNVTFileClass *volumeClass() const { return m_volumeClass; }
    void setVolumeClass(const KNVTFileClass *volumeClass) { m_volumeClass = volumeClass; }
    QSet<QString> incompleteFileExtensions() const { return m_incompleteFileExtensions; }
    void setIncompleteFileExtensions(const QSet<QString> &extensions) { m_incompleteFileExtensions = extensions; }
    bool showHiddenFiles() const { return m_showHiddenFiles; }
    void setShowHiddenFiles(bool showHiddenFiles) { m_showHiddenFiles = showHiddenFiles; }

    // A non-empty identifier and all three classes set.
    bool isValid() const;

private:
    QString m_identifier;
    const KNVTFileClass *m_fileClass;
    const KNVTFileClass *m_directoryClass;
    const KNVTFileClass *m_volumeClass;
    QSet<QString> m_incompleteFileExtensions;
    bool m_showHiddenFiles = false;
};
