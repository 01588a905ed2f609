/* SCIP's default plug-ins (see scip.h beside this file for the double role
 * of these declarations). */
#ifndef __SCIP_SCIPDEFPLUGINS_H__
#define __SCIP_SCIPDEFPLUGINS_H__

#include "scip/scip.h"

#ifdef __cplusplus
extern "C" {
#endif

/** includes the default plug-ins, the LP file reader among them */
SCIP_EXPORT SCIP_RETCODE SCIPincludeDefaultPlugins(SCIP* scip);

#ifdef __cplusplus
}
#endif

#endif
