/* SCIP's default plugins; for this stand-in, the CPLEX LP file reader. */
#ifndef __SCIP_SCIPDEFPLUGINS_H__
#define __SCIP_SCIPDEFPLUGINS_H__

#include "scip/scip.h"

#ifdef __cplusplus
extern "C" {
#endif

/** includes the default plugins into the instance */
SCIP_EXPORT
SCIP_RETCODE SCIPincludeDefaultPlugins(
   SCIP*                 scip
   );

#ifdef __cplusplus
}
#endif

#endif
