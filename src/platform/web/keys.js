// The virtual-key codes of the keys the page presses for the player (the
// game's own key codes, as its keyboard messages carry them).
export const Key = Object.freeze({ ESCAPE: 27, A: 65, D: 68, S: 83, W: 87 });
