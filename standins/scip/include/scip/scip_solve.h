/* Solving. */
#ifndef __SCIP_SCIP_SOLVE_H__
#define __SCIP_SCIP_SOLVE_H__

#include "scip/def.h"
#include "scip/type_retcode.h"
#include "scip/type_scip.h"

#ifdef __cplusplus
extern "C" {
#endif

/** solves the instance's problem until it is solved or a limit is reached */
SCIP_EXPORT
SCIP_RETCODE SCIPsolve(
   SCIP*                 scip
   );

#ifdef __cplusplus
}
#endif

#endif
