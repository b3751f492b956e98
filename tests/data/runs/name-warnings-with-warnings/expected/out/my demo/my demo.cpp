// my demo for CKelInterface
