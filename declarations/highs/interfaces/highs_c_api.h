/* The part of HiGHS 1.15's C API that Vardelmo calls, with HiGHS's own
 * header name, names, signatures and values (HiGHS's interfaces/highs_c_api.h
 * and lp_data/HighsCallbackStruct.h). The runner compiles against it when it
 * is linked with the library of the highspy wheel, which ships no headers; an
 * installed HiGHS brings its own headers, and these are not used. A wrong
 * value here would go unnoticed by the compiler: highs_library_test checks
 * each one the program relies on against the real library. */
#ifndef HIGHS_C_API
#define HIGHS_C_API

#include <stdint.h>

/* HiGHS's default build: 32-bit indices (HIGHSINT64 off). */
typedef int HighsInt;

static const HighsInt kHighsMaximumStringLength = 512;

static const HighsInt kHighsStatusError = -1;
static const HighsInt kHighsStatusOk = 0;
static const HighsInt kHighsStatusWarning = 1;

static const HighsInt kHighsObjSenseMinimize = 1;
static const HighsInt kHighsObjSenseMaximize = -1;

static const HighsInt kHighsSolutionStatusNone = 0;
static const HighsInt kHighsSolutionStatusInfeasible = 1;
static const HighsInt kHighsSolutionStatusFeasible = 2;

static const HighsInt kHighsModelStatusNotset = 0;
static const HighsInt kHighsModelStatusLoadError = 1;
static const HighsInt kHighsModelStatusModelError = 2;
static const HighsInt kHighsModelStatusPresolveError = 3;
static const HighsInt kHighsModelStatusSolveError = 4;
static const HighsInt kHighsModelStatusPostsolveError = 5;
static const HighsInt kHighsModelStatusModelEmpty = 6;
static const HighsInt kHighsModelStatusOptimal = 7;
static const HighsInt kHighsModelStatusInfeasible = 8;
static const HighsInt kHighsModelStatusUnboundedOrInfeasible = 9;
static const HighsInt kHighsModelStatusUnbounded = 10;
static const HighsInt kHighsModelStatusObjectiveBound = 11;
static const HighsInt kHighsModelStatusObjectiveTarget = 12;
static const HighsInt kHighsModelStatusTimeLimit = 13;
static const HighsInt kHighsModelStatusIterationLimit = 14;
static const HighsInt kHighsModelStatusUnknown = 15;
static const HighsInt kHighsModelStatusSolutionLimit = 16;
static const HighsInt kHighsModelStatusInterrupt = 17;

static const HighsInt kHighsCallbackLogging = 0;
static const HighsInt kHighsCallbackSimplexInterrupt = 1;
static const HighsInt kHighsCallbackIpmInterrupt = 2;
static const HighsInt kHighsCallbackMipInterrupt = 6;

#ifdef __cplusplus
extern "C" {
#endif

/* What a callback is told (a logging callback gets its line as the
 * message); the runner reads none of it. */
typedef struct HighsCallbackDataOut HighsCallbackDataOut;

/* What a callback answers: HiGHS stops the solve when user_interrupt is set
 * (the first field, which HiGHS keeps first for its users). */
typedef struct HighsCallbackDataIn {
  int user_interrupt;
  double* user_solution;
  void* cbdata;
  int user_has_solution;
  HighsInt user_solution_size;
} HighsCallbackDataIn;

typedef void (*HighsCCallbackType)(int, const char*, const HighsCallbackDataOut*,
                                   HighsCallbackDataIn*, void*);

void* Highs_create(void);
void Highs_destroy(void* highs);
const char* Highs_version(void);
HighsInt Highs_versionMajor(void);
HighsInt Highs_versionMinor(void);
HighsInt Highs_versionPatch(void);
HighsInt Highs_getSizeofHighsInt(const void* highs);

HighsInt Highs_readModel(void* highs, const char* filename);
HighsInt Highs_readOptions(const void* highs, const char* filename);
HighsInt Highs_setBoolOptionValue(void* highs, const char* option, const HighsInt value);
HighsInt Highs_setIntOptionValue(void* highs, const char* option, const HighsInt value);
HighsInt Highs_setDoubleOptionValue(void* highs, const char* option, const double value);
HighsInt Highs_setCallback(void* highs, HighsCCallbackType user_callback,
                           void* user_callback_data);
HighsInt Highs_startCallback(void* highs, const int callback_type);
HighsInt Highs_run(void* highs);

HighsInt Highs_getModelStatus(const void* highs);
HighsInt Highs_getIntInfoValue(const void* highs, const char* info, HighsInt* value);
HighsInt Highs_getDoubleInfoValue(const void* highs, const char* info, double* value);
HighsInt Highs_getInt64InfoValue(const void* highs, const char* info, int64_t* value);
double Highs_getObjectiveValue(const void* highs);
double Highs_getRunTime(const void* highs);
double Highs_getInfinity(const void* highs);
HighsInt Highs_getObjectiveSense(const void* highs, HighsInt* sense);
HighsInt Highs_getNumCol(const void* highs);
HighsInt Highs_getColName(const void* highs, const HighsInt col, char* name);
HighsInt Highs_getSolution(const void* highs, double* col_value, double* col_dual,
                           double* row_value, double* row_dual);

#ifdef __cplusplus
}
#endif

#endif /* HIGHS_C_API */
