/* Solving statistics. */
#ifndef __SCIP_SCIP_SOLVINGSTATS_H__
#define __SCIP_SCIP_SOLVINGSTATS_H__

#include "scip/def.h"
#include "scip/type_scip.h"

#ifdef __cplusplus
extern "C" {
#endif

/** objective of the best solution in the problem's own sense; without one,
 *  1e20 when minimising and -1e20 when maximising */
SCIP_EXPORT
SCIP_Real SCIPgetPrimalbound(
   SCIP*                 scip
   );

#ifdef __cplusplus
}
#endif

#endif
