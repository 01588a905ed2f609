/* Creating and freeing SCIP instances, and their solving status. */
#ifndef __SCIP_SCIP_GENERAL_H__
#define __SCIP_SCIP_GENERAL_H__

#include "scip/def.h"
#include "scip/type_retcode.h"
#include "scip/type_scip.h"
#include "scip/type_stat.h"

#ifdef __cplusplus
extern "C" {
#endif

/** creates a SCIP instance in the initialization stage */
SCIP_EXPORT
SCIP_RETCODE SCIPcreate(
   SCIP**                scip
   );

/** frees a SCIP instance with its problem and sets *scip to NULL */
SCIP_EXPORT
SCIP_RETCODE SCIPfree(
   SCIP**                scip
   );

/** solving status of the last solve, SCIP_STATUS_UNKNOWN before one */
SCIP_EXPORT
SCIP_STATUS SCIPgetStatus(
   SCIP*                 scip
   );

#ifdef __cplusplus
}
#endif

#endif
