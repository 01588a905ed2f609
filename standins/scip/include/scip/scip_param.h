/* Parameters. */
#ifndef __SCIP_SCIP_PARAM_H__
#define __SCIP_SCIP_PARAM_H__

#include "scip/def.h"
#include "scip/type_retcode.h"
#include "scip/type_scip.h"

#ifdef __cplusplus
extern "C" {
#endif

/** sets a real parameter, e.g. "limits/time" */
SCIP_EXPORT
SCIP_RETCODE SCIPsetRealParam(
   SCIP*                 scip,
   const char*           name,
   SCIP_Real             value
   );

#ifdef __cplusplus
}
#endif

#endif
