/* Test-only control of the Gurobi stand-in; programs never call these. */
#ifndef VARDELMO_GUROBI_STANDIN_CONTROL_H
#define VARDELMO_GUROBI_STANDIN_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Makes the next call of the named function (e.g. "GRBoptimize") return
 * error and do nothing else, with message (NULL: a generic text) as the error
 * text of the environment the call stores its errors on. A failing
 * GRBloadenvadv still hands out its environment, a failing GRBfreemodel
 * frees nothing. Returns 0, or GRB_ERROR_INVALID_ARGUMENT when error is 0 or
 * the function is not one of the stand-in's functions returning an error
 * code. */
int GRBstandin_failnext(const char *function, int error, const char *message);

/* Starts (on != 0) or stops recording the calls received. */
void GRBstandin_record(int on);

/* Number of calls recorded. */
int GRBstandin_callcount(void);

/* Name of the index-th recorded call (from 0), NULL when out of range. */
const char *GRBstandin_callname(int index);

/* First handle argument of the index-th recorded call: the environment or
 * model passed in (for GRBloadenvadv, the environment it created), NULL
 * when there was none or index is out of range. */
void *GRBstandin_callhandle(int index);

/* Forgets pending failures and recorded calls, and stops recording. */
void GRBstandin_reset(void);

#ifdef __cplusplus
}
#endif

#endif
