#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "space/SaveRecord.h"
#include "space/SavedFiles.h"
#include "space/SavedSpace.h"

// The comments of the saved comment page read back, with what the save record notes of them.

// The comments of the page's records, in their order, each with the article address and date
// the notes give for its record number (none: a page saved by an earlier version, whose
// comments name no article).
std::vector<SavedComment> SavedCommentsOf(const std::vector<SavedRecord>& records,
                                          const std::optional<RecordedComments>& notes);

// The comments of "文章评论.htm" in the space folder (ending in a separator), read as the save
// wrote it (code page 936) without following a symbolic link; none when the page is not
// there or cannot be read.
std::vector<SavedComment> ReadSavedComments(const QString& spaceFolder,
                                            const std::optional<SaveRecord>& record);

// What an article's address and a comment's address of it have in common however each was
// typed: the address without its scheme, in lower case; empty for an empty address.
QString ArticleAddressKey(const QString& address);

// Puts each comment under the article whose address it names, in the page's order; those
// that name no article of the space go to its other comments.
void AttachComments(std::vector<SavedComment> comments, SavedSpace& space);
