#pragma once

// Keys of the attribute dictionaries of the file-system model; the texts are those of the platform the model was
// designed for, so stored or logged dictionaries read the same everywhere.
namespace knvt {

inline constexpr char NSFileType[] = "NSFileType";
inline constexpr char NSFileSize[] = "NSFileSize";
inline constexpr char NSFileModificationDate[] = "NSFileModificationDate";
inline constexpr char NSFileCreationDate[] = "NSFileCreationDate";
inline constexpr char NSFilePosixPermissions[] = "NSFilePosixPermissions";
inline constexpr char NSFileOwnerAccountID[] = "NSFileOwnerAccountID";
inline constexpr char NSFileGroupOwnerAccountID[] = "NSFileGroupOwnerAccountID";
inline constexpr char NSFileReferenceCount[] = "NSFileReferenceCount";
inline constexpr char NSFileSystemNumber[] = "NSFileSystemNumber";
inline constexpr char NSFileSystemFileNumber[] = "NSFileSystemFileNumber";
inline constexpr char NSFileHFSTypeCode[] = "NSFileHFSTypeCode";

inline constexpr char NSFileTypeRegular[] = "NSFileTypeRegular";
inline constexpr char NSFileTypeDirectory[] = "NSFileTypeDirectory";
inline constexpr char NSFileTypeSymbolicLink[] = "NSFileTypeSymbolicLink";
inline constexpr char NSFileTypeUnknown[] = "NSFileTypeUnknown";

inline constexpr char NSFileSystemSize[] = "NSFileSystemSize";
inline constexpr char NSFileSystemFreeSize[] = "NSFileSystemFreeSize";
inline constexpr char NSFileSystemNodes[] = "NSFileSystemNodes";
inline constexpr char NSFileSystemFreeNodes[] = "NSFileSystemFreeNodes";

} // namespace knvt
