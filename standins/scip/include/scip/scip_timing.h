/* Timing. */
#ifndef __SCIP_SCIP_TIMING_H__
#define __SCIP_SCIP_TIMING_H__

#include "scip/def.h"
#include "scip/type_scip.h"

#ifdef __cplusplus
extern "C" {
#endif

/** wall-clock seconds spent solving */
SCIP_EXPORT
SCIP_Real SCIPgetSolvingTime(
   SCIP*                 scip
   );

#ifdef __cplusplus
}
#endif

#endif
