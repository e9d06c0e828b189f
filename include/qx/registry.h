#pragma once
// Registry values and key trees: read, write, create and delete values and keys under any open
// root, delete or copy whole key trees.

#include <windows.h>

#include "qx/results.h"

// Reads the REG_SZ value `valueName` (null or empty: the default value) of root\subKey into
// `buffer`. A null buffer asks for the size: *sizeNeeded receives the stored byte size plus
// one. A buffer that is too small gives QXIR_BUFFER_TOO_SMALL with the same figure in
// *sizeNeeded; when the text fits, *sizeNeeded is left alone. Text stored without its
// terminator is ended inside the buffer when there is room for the NUL and is otherwise too
// small: a success always hands back terminated text. A value of another type gives
// QXIR_REGISTRY_ERROR (its bytes have been copied). A null sizeNeeded where a size must be
// reported gives QXIR_REGISTRY_ERROR.
tagQXINTRFCRESULT QXGetRegistryStringValueData(HKEY root, const char* subKey, const char* valueName,
                                               char* buffer, unsigned long bufferSize,
                                               unsigned long* sizeNeeded) noexcept;

// Stores `text` with its terminator as a REG_SZ value, creating root\subKey and every missing
// level above it. A null text gives QXIR_REGISTRY_ERROR and creates nothing.
tagQXINTRFCRESULT QXSetRegistryStringValueData(HKEY root, const char* subKey, const char* valueName,
                                               const char* text) noexcept;

// Creates root\subKey and every missing level above it; an existing key is left as it is.
tagQXINTRFCRESULT QXAddRegistryKey(HKEY root, const char* subKey) noexcept;

// Deletes one value of an existing key; a missing key or value gives QXIR_REGISTRY_ERROR.
tagQXINTRFCRESULT QXDeleteRegistryValueName(HKEY root, const char* subKey,
                                            const char* valueName) noexcept;

// Deletes root\subKey with everything below it. A null or empty subKey gives
// QXIR_REGISTRY_ERROR and deletes nothing; a failure part-way leaves what was not yet deleted.
tagQXINTRFCRESULT QXDeleteRegistryKey(HKEY root, const char* subKey) noexcept;

// Copies sourceRoot\sourceSubKey with all its sub-keys and values onto
// destinationRoot\destinationSubKey, creating the destination first. Values and keys of the
// destination that the source lacks stay. A destination inside the source under the same root
// handle gives QXIR_REGISTRY_ERROR before anything is created. Names, types and data bytes
// arrive unchanged, whatever characters they hold. A tree deeper than 512 levels below the
// source key (a copy into its own sub-tree through a second handle keeps making one) gives
// QXIR_REGISTRY_ERROR, with nothing created past that depth; QXDeleteRegistryKey has the same
// limit and then deletes nothing.
tagQXINTRFCRESULT QXCopyRegistryKey(HKEY sourceRoot, HKEY destinationRoot, const char* sourceSubKey,
                                    const char* destinationSubKey) noexcept;
