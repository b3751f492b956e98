#pragma once
/* stand-in kit header */
