#include "engine/host_vectors.h"

// Constant initialisation: the addresses are in place before any code of the engine runs.
TVecAddToProc VecAddTo = &tsxAddToVec3f;
TVecSubToProc VecSubTo = &tsxSubToVec3f;
TVecMulScalarProc VecMulScalar = &tsxMulScalar3f;
