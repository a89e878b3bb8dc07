#include "render/level.h"

#include <GL/gl.h>

#include <initializer_list>

#include "app/game_state.h"
#include "render/multitexture.h"
#include "sim/solids.h"

namespace {

struct RoomCorner {
    double x, y, z;
    float baseS, baseT, lightS, lightT;
};

struct RoomFace {
    int base;
    int lightMap;
    bool bindBase;  // front, left and right walls keep the back wall's base texture
    RoomCorner corners[4];
};

// The base textures repeat 10 x 10 over floor and ceiling and 4 x 1 over each
// wall; every lightmap covers its face once.
const RoomFace kRoomFaces[] = {
    {tex::floor, tex::LightMapFloor, true,
     {{512, 0, 512, 10, 10, 1, 1}, {512, 0, 0, 10, 0, 1, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 512, 0, 10, 0, 1}}},
    {tex::ceiling, tex::LightMapCeiling, true,
     {{512, 128, 512, 10, 10, 1, 1}, {512, 128, 0, 10, 0, 1, 0}, {0, 128, 0, 0, 0, 0, 0}, {0, 128, 512, 0, 10, 0, 1}}},
    {tex::wall, tex::LightMapBackWall, true,
     {{512, 128, 0, 4, 1, 1, 1}, {512, 0, 0, 4, 0, 1, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 128, 0, 0, 1, 0, 1}}},
    {tex::wall, tex::LightMapFrontWall, false,
     {{512, 128, 512, 4, 1, 1, 1}, {512, 0, 512, 4, 0, 1, 0}, {0, 0, 512, 0, 0, 0, 0}, {0, 128, 512, 0, 1, 0, 1}}},
    {tex::wall, tex::LightMapLeftWall, false,
     {{0, 128, 512, 4, 1, 1, 1}, {0, 0, 512, 4, 0, 1, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 128, 0, 0, 1, 0, 1}}},
    {tex::wall, tex::LightMapRightWall, false,
     {{512, 128, 512, 4, 1, 1, 1}, {512, 0, 512, 4, 0, 1, 0}, {512, 0, 0, 0, 0, 0, 0}, {512, 128, 0, 0, 1, 0, 1}}},
};

void BindOnUnit(GLenum unit, int slot) {
    mt::glActiveTextureARB(unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[slot]);
}

void RecordRoom() {
    for (const RoomFace& face : kRoomFaces) {
        if (face.bindBase) BindOnUnit(GL_TEXTURE0_ARB, face.base);
        BindOnUnit(GL_TEXTURE1_ARB, face.lightMap);
        if (face.base == tex::floor) glColor4d(1, 1, 1, 1);
        glBegin(GL_QUADS);
        for (const RoomCorner& c : face.corners) {
            mt::glMultiTexCoord2fARB(GL_TEXTURE0_ARB, c.baseS, c.baseT);
            mt::glMultiTexCoord2fARB(GL_TEXTURE1_ARB, c.lightS, c.lightT);
            glVertex3d(c.x, c.y, c.z);
        }
        glEnd();
    }
}

struct Corner {
    double x, y, z, s, t;
};

void Quad(const Corner (&corners)[4]) {
    glBegin(GL_QUADS);
    for (const Corner& c : corners) {
        glTexCoord2d(c.s, c.t);
        glVertex3d(c.x, c.y, c.z);
    }
    glEnd();
}

void Grey(double level) { glColor3d(level, level, level); }

// Blended with whatever function is current when the list runs. They lie in
// the planes of the x walls, drawn after them; but clipping the huge wall
// quads leaves their depths a little off, and a less-or-equal test then hid
// whole triangles of a portal. Only room faces are drawn before the portals,
// and from inside the box no room face can be in front of another, so the
// portals are drawn without the depth test; the maze comes later and is
// tested against the wall's depth as before.
void RecordPortals() {
    glDisable(GL_TEXTURE_2D);  // on unit 1, still the active one after the room
    mt::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, textures[tex::portal]);
    glColor4f(1, 1, 1, 1);
    Quad({{512, 54, 211, 0, 1}, {512, 0, 211, 0, 0}, {512, 0, 301, 1, 0}, {512, 54, 301, 1, 1}});
    glBindTexture(GL_TEXTURE_2D, textures[tex::portal_2]);
    glColor4f(1, 1, 1, 1);
    Quad({{0, 54, 211, 1, 1}, {0, 0, 211, 1, 0}, {0, 0, 301, 0, 0}, {0, 54, 301, 0, 1}});
    glEnable(GL_DEPTH_TEST);
}

void RecordLid(const Solid& b) {
    Grey(1.0);
    Quad({{b.xMin, b.yMax, b.zMin, 0, 0}, {b.xMax, b.yMax, b.zMin, 4, 0}, {b.xMax, b.yMax, b.zMax, 4, 4},
          {b.xMin, b.yMax, b.zMax, 0, 4}});
    Grey(0.75);
    for (double z : {b.zMin, b.zMax})
        Quad({{b.xMin, b.yMin, z, 0, 0}, {b.xMax, b.yMin, z, 2, 0}, {b.xMax, b.yMax, z, 2, 0.25},
              {b.xMin, b.yMax, z, 0, 0.25}});
    for (double x : {b.xMin, b.xMax})
        Quad({{x, b.yMin, b.zMin, 0, 0}, {x, b.yMin, b.zMax, 2, 0}, {x, b.yMax, b.zMax, 2, 0.25},
              {x, b.yMax, b.zMin, 0, 0.25}});
    Grey(0.2);
    Quad({{b.xMin, b.yMin, b.zMin, 0, 0}, {b.xMax, b.yMin, b.zMin, 2, 0}, {b.xMax, b.yMin, b.zMax, 2, 2},
          {b.xMin, b.yMin, b.zMax, 0, 2}});
}

// A maze wall in its own terms: `across` is the thin axis, inner being the
// face towards the maze centre; `along` runs from the low end to the high end.
class WallFrame {
public:
    explicit WallFrame(const Solid& b) : b_(b), xWall_(b.xMax - b.xMin < b.zMax - b.zMin) {
        const double lo = xWall_ ? b.xMin : b.zMin, hi = xWall_ ? b.xMax : b.zMax;
        const bool positiveSide = lo > 256;
        inner_ = positiveSide ? lo : hi;
        outer_ = positiveSide ? hi : lo;
        low_ = xWall_ ? b.zMin : b.xMin;
        high_ = xWall_ ? b.zMax : b.xMax;
        plusZ_ = !xWall_ && positiveSide;
    }
    Corner At(double across, double along, double y, double s, double t) const {
        return xWall_ ? Corner{across, y, along, s, t} : Corner{along, y, across, s, t};
    }
    void Record() const {
        const double top = b_.yMax, bottom = b_.yMin;
        Grey(1.0);
        Quad({At(inner_, low_, top, 0, 0), At(outer_, low_, top, 4, 0), At(outer_, high_, top, 4, 4),
              At(inner_, high_, top, 0, 4)});
        Grey(0.75);
        LongFace(outer_);
        for (double end : {low_, high_})
            Quad({At(inner_, end, bottom, 0, 0), At(outer_, end, bottom, 0, 4), At(outer_, end, top, 4, 4),
                  At(inner_, end, top, 4, 0)});
        Grey(0.25);
        LongFace(inner_);
    }

private:
    void LongFace(double across) const {
        // The +z walls run their texture the other way along.
        const double tLow = plusZ_ ? 0 : 4, tHigh = plusZ_ ? 4 : 0;
        Quad({At(across, low_, b_.yMin, 4, tLow), At(across, high_, b_.yMin, 4, tHigh),
              At(across, high_, b_.yMax, 0, tHigh), At(across, low_, b_.yMax, 0, tLow)});
    }
    const Solid& b_;
    bool xWall_;
    double inner_, outer_, low_, high_;
    bool plusZ_;
};

// One texture per ring, bound as the ring begins; ring 1 keeps the lid's clay.
constexpr int kRingTextures[6] = {tex::clay, tex::floor_1, tex::wall_1, tex::floor_1, tex::clay, tex::floor_1};
constexpr int kWallsPerRing = 3;

void RecordMaze() {
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[tex::clay]);
    RecordLid(kSolids[kLidIndex]);
    for (int wall = 0; wall < kSolidCount - 1; ++wall) {
        const int ring = wall / kWallsPerRing;
        if (ring > 0 && wall % kWallsPerRing == 0) glBindTexture(GL_TEXTURE_2D, textures[kRingTextures[ring]]);
        WallFrame(kSolids[kLidIndex + 1 + wall]).Record();
    }
}

}  // namespace

void BuildLevelList() {
    if (!multitextureSupported) return;
    levelList = glGenLists(1);
    glNewList(levelList, GL_COMPILE);
    RecordRoom();
    RecordPortals();
    RecordMaze();
    // The particle and overlay passes rely on blending being on.
    glEnable(GL_BLEND);
    glEndList();
}
