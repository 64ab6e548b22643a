#pragma once
// QCustomPlot's header uses Qt's bare keywords (signals, slots, emit, foreach),
// which this program turns off; they are lent to it for the include only.
#if !defined(signals)
#define VOLM_QCP_KEYWORDS
#define signals Q_SIGNALS
#define slots Q_SLOTS
#define emit Q_EMIT
#define foreach Q_FOREACH
#endif
#include <qcustomplot.h>
#ifdef VOLM_QCP_KEYWORDS
#undef signals
#undef slots
#undef emit
#undef foreach
#undef VOLM_QCP_KEYWORDS
#endif
