// The maker's web address, shown by the about dialog's template and opened by its button.
#ifndef ORVELLE_RESOURCES_MAKER_H
#define ORVELLE_RESOURCES_MAKER_H

#define MAKER_ADDRESS "https://kestrune.example.com/"

#endif
