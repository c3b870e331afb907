// The maker's web and download server. One constant, chosen when the program
// is built (-DPARTSDL_MAKER_HOST="..."); tests reach a local stand-in through
// the proxy settings instead of changing it.
#pragma once

#ifndef PARTSDL_MAKER_HOST
#define PARTSDL_MAKER_HOST "www.kval-parts.example"
#endif
