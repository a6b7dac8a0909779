#pragma once

// Included by every header of the core's internals: a front end includes
// include/vantor/ only, and reaching past it stops the build here.
#ifndef VANTOR_CORE_INTERNALS
#error "an internal header of the core: include the public headers under vantor/ instead"
#endif
