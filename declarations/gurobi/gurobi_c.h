/* The part of Gurobi 11's C API that Vardelmo calls, with Gurobi's own header
 * name, names, signatures and values (those of Gurobi 11.0.3). It serves
 * twice:
 * - the Gurobi client compiles against it; the program links no Gurobi
 *   library but loads one at run time and resolves these functions by name;
 * - the GLPK-backed stand-in (standins/gurobi) implements it.
 * A wrong value here would go unnoticed by the compiler: the test
 * gurobi_library_test checks the version and the parameter names against the
 * real library. Windows' __stdcall is left out: 64-bit Windows has one
 * calling convention. */
#ifndef _GUROBI_C_H
#define _GUROBI_C_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _GRBenv GRBenv;
typedef struct _GRBmodel GRBmodel;

#define GRB_VERSION_MAJOR     11
#define GRB_VERSION_MINOR     0
#define GRB_VERSION_TECHNICAL 3

/* Model status codes */
#define GRB_LOADED          1
#define GRB_OPTIMAL         2
#define GRB_INFEASIBLE      3
#define GRB_INF_OR_UNBD     4
#define GRB_UNBOUNDED       5
#define GRB_CUTOFF          6
#define GRB_ITERATION_LIMIT 7
#define GRB_NODE_LIMIT      8
#define GRB_TIME_LIMIT      9
#define GRB_SOLUTION_LIMIT  10
#define GRB_INTERRUPTED     11
#define GRB_NUMERIC         12
#define GRB_SUBOPTIMAL      13
#define GRB_USER_OBJ_LIMIT  15
#define GRB_WORK_LIMIT      16
#define GRB_MEM_LIMIT       17

/* Error codes of the functions below */
#define GRB_ERROR_OUT_OF_MEMORY      10001
#define GRB_ERROR_NULL_ARGUMENT      10002
#define GRB_ERROR_INVALID_ARGUMENT   10003
#define GRB_ERROR_UNKNOWN_ATTRIBUTE  10004
#define GRB_ERROR_DATA_NOT_AVAILABLE 10005
#define GRB_ERROR_UNKNOWN_PARAMETER  10007
#define GRB_ERROR_VALUE_OUT_OF_RANGE 10008
#define GRB_ERROR_FILE_READ          10012

#define GRB_INFINITY 1e100

/* Model senses */
#define GRB_MINIMIZE 1
#define GRB_MAXIMIZE -1

/* Parameters and attributes */
#define GRB_INT_PAR_OUTPUTFLAG "OutputFlag"
#define GRB_DBL_PAR_TIMELIMIT  "TimeLimit"
#define GRB_DBL_PAR_SOFTMEMLIMIT "SoftMemLimit"
#define GRB_INT_ATTR_NUMVARS    "NumVars"
#define GRB_INT_ATTR_MODELSENSE "ModelSense"
#define GRB_INT_ATTR_STATUS     "Status"
#define GRB_INT_ATTR_SOLCOUNT   "SolCount"
#define GRB_DBL_ATTR_OBJVAL     "ObjVal"
#define GRB_DBL_ATTR_OBJBOUND   "ObjBound"
#define GRB_DBL_ATTR_MIPGAP     "MIPGap"
#define GRB_DBL_ATTR_RUNTIME    "Runtime"
#define GRB_DBL_ATTR_NODECOUNT  "NodeCount"
#define GRB_DBL_ATTR_X          "X"
#define GRB_STR_ATTR_VARNAME    "VarName"

int GRBloadenvadv(GRBenv **envP, const char *logfilename, int apitype, int major, int minor, int tech,
                  const char *server, const char *router, const char *password, const char *group,
                  int priority, int idletimeout, const char *cloudaccessid, const char *cloudsecretkey,
                  int (*cb)(GRBmodel *model, void *cbdata, int where, void *usrdata), void *usrdata,
                  int (*logcb)(char *msg, void *logdata), void *logdata);
int GRBsetintparam(GRBenv *env, const char *paramname, int value);
int GRBsetdblparam(GRBenv *env, const char *paramname, double value);
int GRBstartenv(GRBenv *env);
int GRBreadparams(GRBenv *env, const char *filename);
void GRBfreeenv(GRBenv *env);
int GRBreadmodel(GRBenv *env, const char *filename, GRBmodel **modelP);
GRBenv *GRBgetenv(GRBmodel *model);
int GRBgetintattr(GRBmodel *model, const char *attrname, int *valueP);
int GRBgetdblattr(GRBmodel *model, const char *attrname, double *valueP);
int GRBgetdblattrarray(GRBmodel *model, const char *attrname, int first, int len, double *values);
int GRBgetstrattrelement(GRBmodel *model, const char *attrname, int element, char **valueP);
int GRBupdatemodel(GRBmodel *model);
int GRBoptimize(GRBmodel *model);
int GRBfreemodel(GRBmodel *model);
const char *GRBgeterrormsg(GRBenv *env);
void GRBversion(int *majorP, int *minorP, int *technicalP);

#ifdef __cplusplus
}
#endif

#endif
