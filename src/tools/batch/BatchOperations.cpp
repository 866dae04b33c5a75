#include "tools/batch/BatchOperations.h"

BatchOperationTable AllBatchOperations() {
    BatchOperationTable table;
    AddInformationOperations(table);
    AddSavingOperations(table);
    AddAuOptionsOperations(table);
    AddEditingOperations(table);
    AddEffectOperations(table);
    AddCurveOperations(table);
    AddAudioOperations(table);
    return table;
}
