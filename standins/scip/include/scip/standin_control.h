/* Test-only control of the SCIP stand-in; programs never call these. */
#ifndef VARDELMO_SCIP_STANDIN_CONTROL_H
#define VARDELMO_SCIP_STANDIN_CONTROL_H

#include "scip/scip.h"

#ifdef __cplusplus
extern "C" {
#endif

/** makes the next call of the named function (e.g. "SCIPreadProb") return
 *  retcode and do nothing else (no instance is created or freed); returns 1,
 *  or 0 for a name that is not one of the stand-in's functions returning
 *  SCIP_RETCODE */
SCIP_EXPORT
int SCIPstandinFailNext(
   const char*           function,
   SCIP_RETCODE          retcode
   );

/** starts (on != 0) or stops recording the names of the calls received */
SCIP_EXPORT
void SCIPstandinRecordCalls(
   int                   on
   );

/** number of calls recorded */
SCIP_EXPORT
int SCIPstandinGetNCalls(
   void
   );

/** name of the index-th recorded call (from 0), NULL when out of range */
SCIP_EXPORT
const char* SCIPstandinGetCall(
   int                   index
   );

/** makes SCIPmajorVersion report `major` (0: the stand-in's own, 10) */
SCIP_EXPORT
void SCIPstandinSetMajorVersion(
   int                   major
   );

/** makes the stand-in a library with zlib (on != 0, as by default) or
 *  without, which names no zlib among its external codes and reads no
 *  ".gz" file */
SCIP_EXPORT
void SCIPstandinReportZlib(
   int                   on
   );

/** forgets pending failures and recorded calls, stops recording, and
 *  reports the default version and zlib */
SCIP_EXPORT
void SCIPstandinReset(
   void
   );

#ifdef __cplusplus
}
#endif

#endif
