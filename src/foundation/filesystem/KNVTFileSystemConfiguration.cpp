#include "foundation/filesystem/KNVTFileSystemConfiguration.h"

#include "foundation/Assert.h"
#include "foundation/filesystem/KNVTDirectory.h"
#include "foundation/filesystem/KNVTFile.h"
#include "foundation/filesystem/KNVTVolume.h"

KNVTFileSystemConfiguration::KNVTFileSystemConfiguration()
    : m_identifier(QStringLiteral("com.hollowpine.filesystemconfiguration.default")),
      m_fileClass(&KNVTFile::staticClass()),
      m_directoryClass(&KNVTDirectory::staticClass()),
      m_volumeClass(&KNVTVolume::staticClass()),
      m_incompleteFileExtensions({QStringLiteral("download"), QStringLiteral("part"), QStringLiteral("parts"),
                                  QStringLiteral("ichattransfer")})
{}

KNVTFileSystemConfiguration::~KNVTFileSystemConfiguration() = default;
KNVTFileSystemConfiguration::KNVTFileSystemConfiguration(const KNVTFileSystemConfiguration &other) = default;
KNVTFileSystemConfiguration &KNVTFileSystemConfiguration::operator=(const KNVTFileSystemConfiguration &other) = default;

KNVTFileSystemConfiguration KNVTFileSystemConfiguration::defaultFileSystemConfiguration()
{
    return KNVTFileSystemConfiguration();
}

KNVTFileSystemConfiguration
KNVTFileSystemConfiguration::fileSystemConfigurationWithIdentifier(const QString &identifier)
{
    KNVT_ASSERT(!identifier.isEmpty() && "indentifier must not be nil!", "KNVTFileSystemConfiguration",
                "fileSystemConfigurationWithIdentifier:");
    KNVTFileSystemConfiguration configuration;
    configuration.m_identifier = identifier;
    return configuration;
}

bool KNVTFileSystemConfiguration::isValid() const
{
    return !m_identifier.isEmpty() && m_fileClass && m_directoryClass && m_volumeClass;
}
