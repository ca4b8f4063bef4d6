// The self-extracting setup file and the remote file list "filelist.lst".
#pragma once

#include "archive_format.h"

#include <string>
#include <vector>

namespace fnwd {

// Reads the last 56 bytes of a self-extracting setup file. The signature is reported, not
// required. Fails with "Could not read the extraction info from the archive file %s when trying
// to find the correct offset into the self extracting file" when the file cannot be opened, is
// shorter than the trailer, or its positions point outside the file or run backwards.
TSelfExtractTrailer ReadSelfExtractTrailer(const std::string& path);

// Appends setup_archive ("setup.1") and, when non-empty, product_archive ("files.1") to the
// loading program already at setup_exe, then the trailer. Fails with "Cannot create the
// self-extracting exe because %s could not be loaded onto %s".
TSelfExtractTrailer BuildSelfExtractingFile(const std::string& setup_exe, const std::string& setup_archive,
                                            const std::string& product_archive);

// "filelist.lst": a count and one 72-byte record per file. Names over 39 and versions over 19
// characters are refused rather than cut, as a cut name could match another component.
void WriteFileList(const std::string& path, const std::vector<TFileListRecord>& records);
std::vector<TFileListRecord> ReadFileList(const std::string& path);
// The record of a component (case-insensitive); nullptr when there is none.
const TFileListRecord* FindFileListRecord(const std::vector<TFileListRecord>& records, const std::string& name);

}  // namespace fnwd
