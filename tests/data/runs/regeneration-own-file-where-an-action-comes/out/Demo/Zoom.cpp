// my own Zoom
