/* Common definitions of the SCIP interface. */
#ifndef __SCIP_DEF_H__
#define __SCIP_DEF_H__

#include "scip/scip_export.h"

typedef double SCIP_Real;

#endif
