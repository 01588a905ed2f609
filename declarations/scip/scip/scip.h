/* The part of SCIP 10's C API that Vardelmo calls, with SCIP's own names,
 * signatures and values. It serves twice:
 * - the runner compiles against it when it is linked with the SCIP library of
 *   the PySCIPOpt wheel, which ships no headers (an installed SCIP brings its
 *   own headers, and these are not used);
 * - the GLPK-backed stand-in (standins/scip) implements it.
 * A wrong value here would go unnoticed by the compiler: the test
 * scip_library_test checks each one the program relies on against the real
 * library. */
#ifndef __SCIP_SCIP_H__
#define __SCIP_SCIP_H__

#if defined(_WIN32)
#define SCIP_EXPORT
#elif defined(__GNUC__) || defined(__clang__)
#define SCIP_EXPORT __attribute__((visibility("default")))
#else
#define SCIP_EXPORT
#endif

/* The major version these declarations follow. */
#define SCIP_VERSION_MAJOR 10

#ifdef __cplusplus
extern "C" {
#endif

typedef double SCIP_Real;
typedef unsigned int SCIP_Bool;
typedef struct Scip SCIP;
typedef struct SCIP_Messagehdlr SCIP_MESSAGEHDLR;
typedef long long SCIP_Longint;
typedef struct SCIP_Var SCIP_VAR;
typedef struct SCIP_Sol SCIP_SOL;

enum SCIP_Objsense
{
   SCIP_OBJSENSE_MAXIMIZE = -1,
   SCIP_OBJSENSE_MINIMIZE = +1
};
typedef enum SCIP_Objsense SCIP_OBJSENSE;

enum SCIP_Stage
{
   SCIP_STAGE_INIT         =  0,
   SCIP_STAGE_PROBLEM      =  1,
   SCIP_STAGE_TRANSFORMING =  2,
   SCIP_STAGE_TRANSFORMED  =  3,
   SCIP_STAGE_INITPRESOLVE =  4,
   SCIP_STAGE_PRESOLVING   =  5,
   SCIP_STAGE_EXITPRESOLVE =  6,
   SCIP_STAGE_PRESOLVED    =  7,
   SCIP_STAGE_INITSOLVE    =  8,
   SCIP_STAGE_SOLVING      =  9,
   SCIP_STAGE_SOLVED       = 10,
   SCIP_STAGE_EXITSOLVE    = 11,
   SCIP_STAGE_FREETRANS    = 12,
   SCIP_STAGE_FREE         = 13
};
typedef enum SCIP_Stage SCIP_STAGE;

enum SCIP_Retcode
{
   SCIP_OKAY               =  +1,
   SCIP_ERROR              =   0,
   SCIP_NOMEMORY           =  -1,
   SCIP_READERROR          =  -2,
   SCIP_NOFILE             =  -4,
   SCIP_LPERROR            =  -6,
   SCIP_INVALIDCALL        =  -8,
   SCIP_INVALIDDATA        =  -9,
   SCIP_PLUGINNOTFOUND     = -11,
   SCIP_PARAMETERUNKNOWN   = -12,
   SCIP_PARAMETERWRONGVAL  = -14
};
typedef enum SCIP_Retcode SCIP_RETCODE;

enum SCIP_Status
{
   SCIP_STATUS_UNKNOWN        =  0,
   SCIP_STATUS_OPTIMAL        =  1,
   SCIP_STATUS_INFEASIBLE     =  2,
   SCIP_STATUS_UNBOUNDED      =  3,
   SCIP_STATUS_INFORUNBD      =  4,
   SCIP_STATUS_USERINTERRUPT  = 10,
   SCIP_STATUS_TERMINATE      = 11,
   SCIP_STATUS_NODELIMIT      = 20,
   SCIP_STATUS_TOTALNODELIMIT = 21,
   SCIP_STATUS_STALLNODELIMIT = 22,
   SCIP_STATUS_TIMELIMIT      = 23,
   SCIP_STATUS_MEMLIMIT       = 24,
   SCIP_STATUS_GAPLIMIT       = 25,
   SCIP_STATUS_PRIMALLIMIT    = 26,
   SCIP_STATUS_DUALLIMIT      = 27,
   SCIP_STATUS_SOLLIMIT       = 28,
   SCIP_STATUS_BESTSOLLIMIT   = 29,
   SCIP_STATUS_RESTARTLIMIT   = 30
};
typedef enum SCIP_Status SCIP_STATUS;

/** major version of the library */
SCIP_EXPORT int SCIPmajorVersion(void);
/** minor version of the library */
SCIP_EXPORT int SCIPminorVersion(void);
/** technical (patch) version of the library */
SCIP_EXPORT int SCIPtechVersion(void);

/** number of the external codes the instance's library includes (zlib,
 *  when the library reads compressed files, is one) */
SCIP_EXPORT int SCIPgetNExternalCodes(SCIP* scip);
/** their names with their versions, as "ZLIB 1.2.11" */
SCIP_EXPORT char** SCIPgetExternalCodeNames(SCIP* scip);

/** creates a SCIP instance in the initialization stage */
SCIP_EXPORT SCIP_RETCODE SCIPcreate(SCIP** scip);
/** frees a SCIP instance with its problem and sets *scip to NULL */
SCIP_EXPORT SCIP_RETCODE SCIPfree(SCIP** scip);
/** replaces the instance's problem by an empty one */
SCIP_EXPORT SCIP_RETCODE SCIPcreateProbBasic(SCIP* scip, const char* name);
/** reads a problem file; with extension NULL the reader is chosen by the
 *  file name's extension */
SCIP_EXPORT SCIP_RETCODE SCIPreadProb(SCIP* scip, const char* filename, const char* extension);
/** reads parameters from a settings file (.set) */
SCIP_EXPORT SCIP_RETCODE SCIPreadParams(SCIP* scip, const char* filename);
/** sets a real parameter, e.g. "limits/time" */
SCIP_EXPORT SCIP_RETCODE SCIPsetRealParam(SCIP* scip, const char* name, SCIP_Real value);
/** installs a message handler; NULL silences the instance's normal output */
SCIP_EXPORT SCIP_RETCODE SCIPsetMessagehdlr(SCIP* scip, SCIP_MESSAGEHDLR* messagehdlr);
/** solves the problem until it is solved, a limit is reached or the user
 *  interrupts (Ctrl+C) */
SCIP_EXPORT SCIP_RETCODE SCIPsolve(SCIP* scip);
/** solving status of the last solve, SCIP_STATUS_UNKNOWN before one */
SCIP_EXPORT SCIP_STATUS SCIPgetStatus(SCIP* scip);
/** seconds spent solving */
SCIP_EXPORT SCIP_Real SCIPgetSolvingTime(SCIP* scip);
/** objective of the best solution in the problem's own sense; without one,
 *  1e20 when minimising and -1e20 when maximising */
SCIP_EXPORT SCIP_Real SCIPgetPrimalbound(SCIP* scip);
/** where the instance stands; the queries below abort the process outside
 *  the stages that SCIP allows them in (the gap: presolving to solved) */
SCIP_EXPORT SCIP_STAGE SCIPgetStage(SCIP* scip);
/** the bound proven for the objective in the problem's own sense; beyond
 *  SCIPinfinity() in size when none is (an infeasible problem) */
SCIP_EXPORT SCIP_Real SCIPgetDualbound(SCIP* scip);
/** relative gap between primal and dual bound; SCIPinfinity() when it is not
 *  defined (no solution, bounds of opposite signs) */
SCIP_EXPORT SCIP_Real SCIPgetGap(SCIP* scip);
/** branch-and-bound nodes processed, over all runs */
SCIP_EXPORT SCIP_Longint SCIPgetNTotalNodes(SCIP* scip);
/** solutions found */
SCIP_EXPORT int SCIPgetNSols(SCIP* scip);
/** the value SCIP takes for infinity */
SCIP_EXPORT SCIP_Real SCIPinfinity(SCIP* scip);
/** the problem's objective sense */
SCIP_EXPORT SCIP_OBJSENSE SCIPgetObjsense(SCIP* scip);
/** the variables of the problem as read, in their order */
SCIP_EXPORT int SCIPgetNOrigVars(SCIP* scip);
SCIP_EXPORT SCIP_VAR** SCIPgetOrigVars(SCIP* scip);
SCIP_EXPORT const char* SCIPvarGetName(SCIP_VAR* var);
/** the best solution found; NULL without one */
SCIP_EXPORT SCIP_SOL* SCIPgetBestSol(SCIP* scip);
SCIP_EXPORT SCIP_Real SCIPgetSolVal(SCIP* scip, SCIP_SOL* sol, SCIP_VAR* var);
/** a solution's objective value in the problem's own sense */
SCIP_EXPORT SCIP_Real SCIPgetSolOrigObj(SCIP* scip, SCIP_SOL* sol);

/** prints "[<sourcefile>:<sourceline>] ERROR: " on the error output shared by
 *  all instances, whatever their message handlers */
SCIP_EXPORT void SCIPmessagePrintErrorHeader(const char* sourcefile, int sourceline);
/** prints a printf-style error text on the same output */
SCIP_EXPORT void SCIPmessagePrintError(const char* formatstr, ...)
#if defined(__GNUC__) || defined(__clang__)
   __attribute__((format(printf, 1, 2)))
#endif
   ;

#ifdef __cplusplus
}
#endif

#endif
