#pragma once

#include "tools/batch/BatchContext.h"

// Each area adds its operations to the table, in the order of the usage text.
void AddInformationOperations(BatchOperationTable& table);
void AddSavingOperations(BatchOperationTable& table);
void AddAuOptionsOperations(BatchOperationTable& table);
void AddEditingOperations(BatchOperationTable& table);
void AddEffectOperations(BatchOperationTable& table);
void AddCurveOperations(BatchOperationTable& table);
void AddAudioOperations(BatchOperationTable& table);

// The whole table of the tool.
BatchOperationTable AllBatchOperations();
