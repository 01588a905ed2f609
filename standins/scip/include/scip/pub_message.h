/* Error output shared by all SCIP instances: always on standard error,
 * whatever an instance's message handler. */
#ifndef __SCIP_PUB_MESSAGE_H__
#define __SCIP_PUB_MESSAGE_H__

#include "scip/def.h"

#ifdef __cplusplus
extern "C" {
#endif

/** prints "[<sourcefile>:<sourceline>] ERROR: " */
SCIP_EXPORT
void SCIPmessagePrintErrorHeader(
   const char*           sourcefile,
   int                   sourceline
   );

/** prints a printf-style error text */
SCIP_EXPORT
void SCIPmessagePrintError(
   const char*           formatstr,
   ...
   )
#if defined(__GNUC__) || defined(__clang__)
   __attribute__((format(printf, 1, 2)))
#endif
   ;

/** prints an error message with the location it comes from */
#define SCIPerrorMessage                SCIPmessagePrintErrorHeader(__FILE__, __LINE__), SCIPmessagePrintError

#ifdef __cplusplus
}
#endif

#endif
