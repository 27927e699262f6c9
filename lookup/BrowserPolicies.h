#pragma once
// The policies of Chromium's browsers (Chrome, Edge, Yandex Browser...): a policy overrides every
// setting of the browser and of Windows, so adware sets its proxy, name server or block list there.
#include "lookup/PlaceReader.h"

// Whether a company or a school runs the computer: it is in a domain, joined to Microsoft Entra
// ID, or enrolled in device management. One that cannot be told counts as managed: its policies
// are then only named.
bool Managed(PlaceReader& reader);

// Each browser's proxy, DNS-over-HTTPS, block-list and forced-extension policies, of the whole
// computer (`user` null) or of a user. On a computer no one manages, the proxy and DNS values and
// the block-list entries that keep security sites from opening are undone; the rest is named.
void ReadBrowserPolicies(PlaceReader& reader, const User* user, bool managed);
