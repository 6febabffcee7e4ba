// The fields of Recordings.d and Folders.d, in file order, and the names the catalogue uses.
#pragma once

#include "store/TStoreTable.h"

namespace CatalogueSchema {

inline const QString RecordingsTable = QStringLiteral("Recordings.d");
inline const QString FoldersTable = QStringLiteral("Folders.d");
inline const QString GeneralFolder = QStringLiteral("General");

inline QList<FieldDef> recordingFields()
{
    return {
        {QStringLiteral("id"), FieldType::ftString, 10},
        {QStringLiteral("Channel"), FieldType::ftInteger, 0},
        {QStringLiteral("FolderId"), FieldType::ftString, 20},
        {QStringLiteral("DateS"), FieldType::ftString, 12},
        {QStringLiteral("TimeS"), FieldType::ftString, 16},
        {QStringLiteral("Duration"), FieldType::ftString, 10},
        {QStringLiteral("Comment"), FieldType::ftString, 255},
    };
}

inline QList<FieldDef> folderFields()
{
    return {
        {QStringLiteral("FolderId"), FieldType::ftString, 20},
        {QStringLiteral("FolderName"), FieldType::ftString, 100},
    };
}

} // namespace CatalogueSchema
