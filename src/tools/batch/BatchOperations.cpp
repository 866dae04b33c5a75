#include "batch/BatchOperations.h"

BatchOperationTable AllBatchOperations() {
    BatchOperationTable table;
    AddInformationOperations(table);
    AddSavingOperations(table);
    return table;
}
