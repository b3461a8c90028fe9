// The identifiers of the two firewall classes the tool creates and of their
// interfaces. The system headers declare them (extern "C"), but the import
// libraries do not define them, so the tool defines them here with their
// published values.
#include "win32api.h"

extern "C" {

// {304CE942-6E39-40D8-943A-B913C40C9CD4}
extern const CLSID CLSID_NetFwMgr = {0x304CE942, 0x6E39, 0x40D8, {0x94, 0x3A, 0xB9, 0x13, 0xC4, 0x0C, 0x9C, 0xD4}};
// {F7898AF5-CAC4-4632-A2EC-DA06E5111AF2}
extern const IID IID_INetFwMgr = {0xF7898AF5, 0xCAC4, 0x4632, {0xA2, 0xEC, 0xDA, 0x06, 0xE5, 0x11, 0x1A, 0xF2}};
// {EC9846B3-2762-4A6B-A214-6ACB603462D2}
extern const CLSID CLSID_NetFwAuthorizedApplication = {0xEC9846B3, 0x2762, 0x4A6B,
                                                       {0xA2, 0x14, 0x6A, 0xCB, 0x60, 0x34, 0x62, 0xD2}};
// {B5E64FFA-C2C5-444E-A301-FB5E00018050}
extern const IID IID_INetFwAuthorizedApplication = {0xB5E64FFA, 0xC2C5, 0x444E,
                                                    {0xA3, 0x01, 0xFB, 0x5E, 0x00, 0x01, 0x80, 0x50}};

}  // extern "C"
