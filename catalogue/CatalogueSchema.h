// The fields of Recordings.d and Folders.d, in file order, and the names the catalogue uses.
#pragma once

#include "store/TStoreTable.h"

namespace CatalogueSchema {

inline const QString RecordingsTable = QStringLiteral("Recordings.d");
inline const QString FoldersTable = QStringLiteral("Folders.d");
inline const QString GeneralFolder = QStringLiteral("General");

inline QList<TFieldDef> recordingFields()
{
    return {
        {QStringLiteral("id"), TFieldType::ftString, 10},
        {QStringLiteral("Channel"), TFieldType::ftInteger, 0},
        {QStringLiteral("FolderId"), TFieldType::ftString, 20},
        {QStringLiteral("DateS"), TFieldType::ftString, 12},
        {QStringLiteral("TimeS"), TFieldType::ftString, 16},
        {QStringLiteral("Duration"), TFieldType::ftString, 10},
        {QStringLiteral("Comment"), TFieldType::ftString, 255},
    };
}

inline QList<TFieldDef> folderFields()
{
    return {
        {QStringLiteral("FolderId"), TFieldType::ftString, 20},
        {QStringLiteral("FolderName"), TFieldType::ftString, 100},
    };
}

} // namespace CatalogueSchema
