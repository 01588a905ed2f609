/* The SCIP callable library: this stand-in offers the subset of it that
 * Vardelmo uses, with SCIP 10's signatures. */
#ifndef __SCIP_SCIP_H__
#define __SCIP_SCIP_H__

#include "scip/def.h"
#include "scip/pub_message.h"
#include "scip/scip_general.h"
#include "scip/scip_message.h"
#include "scip/scip_param.h"
#include "scip/scip_prob.h"
#include "scip/scip_solve.h"
#include "scip/scip_solvingstats.h"
#include "scip/scip_timing.h"
#include "scip/type_message.h"
#include "scip/type_retcode.h"
#include "scip/type_scip.h"
#include "scip/type_stat.h"

#endif
